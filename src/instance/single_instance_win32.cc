// The channel on Windows: a named file mapping, registered thread messages,
// a named event and a named mutex that lets one hand-over use the area at a
// time. The mutex is held from writing the area until the first instance
// has copied it out; a holder that dies leaves it abandoned, never stuck.
// A first instance that is ending refuses hand-overs; the second instance
// then waits for it to end and starts over, normally as the first instance.
#include "instance/single_instance.h"

#include <windows.h>

#include "config/settings.h"
#include "instance/hand_over_block.h"
#include "report/messages.h"
#include "report/trace.h"

namespace tarn {

struct ChannelObjects {
  HANDLE mapping = nullptr;
  HANDLE messageThread = nullptr;
  DWORD messageThreadId = 0;
  HANDLE mainStartedEvent = nullptr;
  UINT handOverMessage = 0;
  // Acknowledgements, and a second instance's request for one: a message
  // of its own, so that no earlier build takes it for a hand-over or reply.
  UINT ackMessage = 0;
  // A second instance's: the hand-over lock, the first instance, and the
  // token that marks the answers meant for this process.
  HANDLE handOverLock = nullptr;
  bool lockHeld = false;
  HANDLE firstProcess = nullptr;
  DWORD token = 0;
};

namespace {

constexpr char kEventSuffix[] = "_upr_evt";
constexpr char kLockSuffix[] = "_upr_mtx";
constexpr char kAckSuffix[] = "_upr_ack";
constexpr DWORD kPollMilliseconds = 100;
// Between two set-ups, while the block of a first instance that has ended
// is still held by others.
constexpr DWORD kRetryMilliseconds = 20;
// How long a second instance waits for a first instance that has created
// the block but not yet published its message thread.
constexpr ULONGLONG kPublishMilliseconds = 10000;
// How long it waits for the first instance to confirm that every earlier
// hand-over was taken, before it goes on anyway (an earlier build never does).
constexpr DWORD kSyncMilliseconds = 2000;
// The acknowledgement's lParam.
constexpr LPARAM kSynced = 1;
constexpr LPARAM kTaken = 2;
constexpr LPARAM kRefused = 3;  // not taken: the first instance is ending

struct LoopStart {
  SingleInstanceChannel* channel;
  HANDLE queueReady;
};

struct WorkerStart {
  SingleInstanceChannel* channel;
  DWORD sender;
  UINT message;
  LPARAM token;
  std::vector<std::string> arguments;
};

void postReply(void* context, HandOverAnswer answer, int32_t value) {
  WorkerStart* start = static_cast<WorkerStart*>(context);
  if (answer == HandOverAnswer::kRefused) {
    if (start->channel->objects->ackMessage)
      PostThreadMessageA(start->sender, start->channel->objects->ackMessage,
                         WPARAM(start->token), kRefused);
    return;
  }
  PostThreadMessageA(start->sender, start->message, WPARAM(value), start->token);
}

DWORD WINAPI workerMain(LPVOID parameter) {
  WorkerStart* start = static_cast<WorkerStart*>(parameter);
  deliverHandOver(*start->channel, start->arguments, postReply, start);
  delete start;
  return 0;
}

// The message thread: one worker per hand-over until WM_QUIT. The
// arguments are copied out as the hand-over arrives and the sender is told
// at once, so it lets the next one use the area.
void messageLoop(SingleInstanceChannel& channel, HANDLE queueReady) {
  MSG message;
  // The queue exists from here on, so a hand-over posted as soon as the
  // thread id is published is not lost.
  PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  SetEvent(queueReady);
  const ChannelObjects& objects = *channel.objects;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    DWORD sender = DWORD(message.wParam);
    if (objects.ackMessage && message.message == objects.ackMessage) {
      // Messages are taken in order, so every hand-over posted before
      // this request has been taken by now.
      PostThreadMessageA(sender, objects.ackMessage, WPARAM(message.lParam), kSynced);
      continue;
    }
    if (message.message != objects.handOverMessage) continue;
    if (!enterWorker(channel.gate)) {
      trace("hand-over refused: the program has ended");
      if (objects.ackMessage)
        PostThreadMessageA(sender, objects.ackMessage, WPARAM(message.lParam), kRefused);
      continue;
    }
    WorkerStart* start = new WorkerStart{&channel, sender, objects.handOverMessage,
                                         message.lParam, readArguments(channel)};
    if (objects.ackMessage)
      PostThreadMessageA(sender, objects.ackMessage, WPARAM(message.lParam), kTaken);
    HANDLE worker = CreateThread(nullptr, 0, workerMain, start, 0, nullptr);
    if (worker) {
      CloseHandle(worker);
    } else {
      delete start;
      leaveWorker(channel.gate);
    }
  }
}

DWORD WINAPI messageLoopMain(LPVOID parameter) {
  LoopStart* start = static_cast<LoopStart*>(parameter);
  messageLoop(*start->channel, start->queueReady);
  return 0;
}

// Exit code of the first instance when it has ended; -1 when it cannot be
// read, STILL_ACTIVE while it runs.
DWORD firstInstanceState(HANDLE process) {
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code)) return DWORD(-1);
  return code;
}

// Marks this process's requests, so that an answer meant for an earlier
// process whose thread id this one now has is never taken for its own.
DWORD makeToken() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  uint64_t mixed = uint64_t(now.QuadPart) ^ (uint64_t(GetCurrentProcessId()) << 40) ^
                   (uint64_t(GetCurrentThreadId()) << 20);
  mixed *= 0x9E3779B97F4A7C15ull;
  DWORD token = DWORD(mixed >> 32);
  return token ? token : 1;
}

// The next answer for this process, or the first instance's end; waits up
// to `wait` milliseconds for either when neither is there yet.
Answer listen(ChannelObjects& objects, DWORD wait) {
  // Looked at before the queue: a reply posted before the end is there by now.
  DWORD state = firstInstanceState(objects.firstProcess);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    // An earlier build's first instance answers with lParam 0.
    if (message.message == objects.handOverMessage &&
        (message.lParam == 0 || DWORD(message.lParam) == objects.token))
      return {Heard::kReply, int32_t(message.wParam)};
    if (objects.ackMessage && message.message == objects.ackMessage &&
        DWORD(message.wParam) == objects.token) {
      if (message.lParam == kSynced) return {Heard::kSynced, 0};
      if (message.lParam == kTaken) return {Heard::kTaken, 0};
      if (message.lParam == kRefused) return {Heard::kRefused, 0};
    }
  }
  if (state != STILL_ACTIVE) return {Heard::kEnded, int32_t(state)};
  MsgWaitForMultipleObjects(1, &objects.firstProcess, FALSE, wait, QS_POSTMESSAGE);
  return {Heard::kNothing, 0};
}

// Waits until the first instance has published everything a hand-over
// needs (kDone), or has ended (kStartOver). kFailed when it stays
// incomplete too long.
HandOverOutcome waitForPublishedBlock(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
  ULONGLONG deadline = GetTickCount64() + kPublishMilliseconds;
  bool waiting = false;
  for (;;) {
    DWORD processId = readBlockField(channel.view, kOwnerProcessIdOffset);
    if (processId && !objects.firstProcess) {
      objects.firstProcess =
          OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, processId);
      // Gone: looked for anew once others let go of its block. Not ours to
      // watch: no answer to be had.
      if (!objects.firstProcess)
        return GetLastError() == ERROR_INVALID_PARAMETER ? HandOverOutcome::kStartOver
                                                         : HandOverOutcome::kFailed;
    }
    if (objects.firstProcess && firstInstanceState(objects.firstProcess) != STILL_ACTIVE)
      return HandOverOutcome::kStartOver;
    if (objects.firstProcess && handOverBlockComplete(channel.view)) return HandOverOutcome::kDone;
    if (GetTickCount64() > deadline) return HandOverOutcome::kFailed;
    if (!waiting) trace("single instance: the first instance is still setting up; waiting");
    waiting = true;
    Sleep(5);
  }
}

// Takes the hand-over lock; false when the first instance ended first.
// *abandoned: the holder before us died holding it.
bool takeHandOverLock(ChannelObjects& objects, const std::string& lockName, bool* abandoned) {
  *abandoned = false;
  objects.handOverLock = CreateMutexA(nullptr, FALSE, lockName.c_str());
  if (!objects.handOverLock) return true;  // no lock to be had: hand over without one
  HANDLE waits[2] = {objects.handOverLock, objects.firstProcess};
  DWORD waited = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  objects.lockHeld = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED_0;
  *abandoned = waited == WAIT_ABANDONED_0;
  // Looked at after the lock too: the instance before us may have let it go
  // because the first one ended.
  return firstInstanceState(objects.firstProcess) == STILL_ACTIVE;
}

// After a holder died with the lock, its hand-over may still wait in the
// first instance's queue, reading the area: the area is written only once
// the first instance confirms it has gone through everything before. False
// when the first instance ended meanwhile.
bool syncWithFirstInstance(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
  if (!objects.ackMessage ||
      !PostThreadMessageA(readBlockField(channel.view, kOwnerThreadIdOffset), objects.ackMessage,
                          WPARAM(GetCurrentThreadId()), LPARAM(objects.token)))
    return true;
  ULONGLONG deadline = GetTickCount64() + kSyncMilliseconds;
  for (;;) {
    Answer answer = listen(objects, kPollMilliseconds);
    if (answer.heard == Heard::kSynced) return true;
    if (answer.heard == Heard::kEnded) return false;
    if (GetTickCount64() > deadline) return true;
  }
}

bool setUpFirstInstance(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
  // First, so that a second instance can tell when this process is gone.
  writeBlockField(channel.view, kOwnerProcessIdOffset, GetCurrentProcessId());
  objects.mainStartedEvent =
      CreateEventA(nullptr, TRUE, FALSE, (channel.name + kEventSuffix).c_str());
  objects.handOverMessage = RegisterWindowMessageA(channel.name.c_str());
  writeBlockField(channel.view, kHandOverMessageOffset, objects.handOverMessage);
  if (objects.handOverMessage == 0) return false;
  objects.ackMessage = RegisterWindowMessageA((channel.name + kAckSuffix).c_str());

  HANDLE queueReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!queueReady) return false;
  LoopStart start{&channel, queueReady};
  objects.messageThread =
      CreateThread(nullptr, 0, messageLoopMain, &start, 0, &objects.messageThreadId);
  if (objects.messageThread) WaitForSingleObject(queueReady, INFINITE);
  CloseHandle(queueReady);
  if (!objects.messageThread) return false;
  publishOwnerThread(channel.view, objects.messageThreadId);
  return true;
}

HandOverOutcome handOver(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
  // This thread's queue must exist before anything can be posted to it.
  MSG message;
  PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  objects.token = makeToken();
  HandOverOutcome published = waitForPublishedBlock(channel);
  if (published == HandOverOutcome::kFailed) reportSilentFirstInstance();
  if (published != HandOverOutcome::kDone) return published;
  objects.handOverMessage = readBlockField(channel.view, kHandOverMessageOffset);
  objects.ackMessage = RegisterWindowMessageA((channel.name + kAckSuffix).c_str());
  bool abandoned = false;
  if (!takeHandOverLock(objects, channel.name + kLockSuffix, &abandoned))
    return HandOverOutcome::kStartOver;
  if (abandoned && !syncWithFirstInstance(channel)) return HandOverOutcome::kStartOver;
  if (!writeArguments(channel)) return HandOverOutcome::kFailed;
  // The message thread has gone: the first instance is ending.
  if (!PostThreadMessageA(readBlockField(channel.view, kOwnerThreadIdOffset),
                          objects.handOverMessage, WPARAM(GetCurrentThreadId()),
                          LPARAM(objects.token)))
    return HandOverOutcome::kStartOver;
  return awaitAnswer(channel);
}

}  // namespace

Answer listenToFirst(SingleInstanceChannel& channel, int wait) {
  return listen(*channel.objects, DWORD(wait));
}

void releaseHandOverLock(SingleInstanceChannel& channel) {
  ChannelObjects& objects = *channel.objects;
  if (objects.lockHeld) ReleaseMutex(objects.handOverLock);
  objects.lockHeld = false;
}

bool waitForFirstEnd(SingleInstanceChannel& channel, int milliseconds) {
  HANDLE first = channel.objects->firstProcess;
  // One that could not be opened is gone, or soon will be.
  return !first || WaitForSingleObject(first, DWORD(milliseconds)) == WAIT_OBJECT_0;
}

bool setUpSingleInstance(SingleInstanceChannel& channel, const ChannelLaunch& launch) {
  channel.launch = launch;
  bool wanted = false;
  if (!prepareChannel(channel, &wanted)) return false;
  if (!wanted) return true;
  std::chrono::steady_clock::time_point endingDeadline{};
  for (;;) {
    channel.objects = new ChannelObjects;
    ChannelObjects& objects = *channel.objects;
    objects.mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         DWORD(kHandOverBlockSize), channel.name.c_str());
    if (!objects.mapping) return true;
    channel.firstInstance = GetLastError() == 0;
    channel.view = static_cast<uint8_t*>(MapViewOfFile(objects.mapping, FILE_MAP_WRITE, 0, 0, 0));
    if (!channel.view) {
      channel.firstInstance = false;
      return true;
    }
    channel.singleInstance = true;
    if (channel.firstInstance) {
      if (!setUpFirstInstance(channel)) {
        // An ordinary launch from here on. The block goes at once, so that
        // later starts do not take this process for a first instance that
        // never answers.
        channel.singleInstance = false;
        closeSingleInstance(channel);
      }
      return true;
    }
    HandOverOutcome outcome = handOver(channel);
    if (outcome != HandOverOutcome::kStartOver) return outcome == HandOverOutcome::kDone;
    bool ended = waitToStartOver(channel, &endingDeadline);
    channel.singleInstance = false;
    closeSingleInstance(channel);
    if (!ended) return false;
    // Others may still hold the block of the one that ended a moment longer.
    Sleep(kRetryMilliseconds);
  }
}

void signalMainStarted(SingleInstanceChannel& channel) {
  if (!channel.objects) return;
  if (channel.objects->mainStartedEvent) SetEvent(channel.objects->mainStartedEvent);
  openHandOverGate(channel.gate);
}

void closeSingleInstance(SingleInstanceChannel& channel) {
  ChannelObjects* objects = channel.objects;
  if (!objects) return;
  if (objects->messageThread) {
    DWORD code = STILL_ACTIVE;
    do {
      PostThreadMessageA(objects->messageThreadId, WM_QUIT, 0, 0);
      WaitForSingleObject(objects->messageThread, 10);
      if (!GetExitCodeThread(objects->messageThread, &code)) break;
    } while (code == STILL_ACTIVE);
    CloseHandle(objects->messageThread);
  }
  releaseHandOverLock(channel);
  if (channel.view) UnmapViewOfFile(channel.view);
  if (objects->mapping) CloseHandle(objects->mapping);
  if (objects->mainStartedEvent) CloseHandle(objects->mainStartedEvent);
  if (objects->handOverLock) CloseHandle(objects->handOverLock);
  if (objects->firstProcess) CloseHandle(objects->firstProcess);
  delete objects;
  channel.objects = nullptr;
  channel.view = nullptr;
}

}  // namespace tarn
