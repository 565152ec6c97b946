// The channel on Windows: a named file mapping, a registered thread message,
// a named event and a named mutex that lets one hand-over use the area at a
// time.
#include "instance/single_instance.h"

#include <windows.h>

#include "config/settings.h"
#include "instance/hand_over_block.h"
#include "launcher/launcher.h"
#include "launcher/messages.h"

namespace tarn {

struct ChannelObjects {
  HANDLE mapping = nullptr;
  HANDLE messageThread = nullptr;
  DWORD messageThreadId = 0;
  HANDLE mainStartedEvent = nullptr;
  UINT handOverMessage = 0;
  // A second instance's: the hand-over lock and the first instance.
  HANDLE handOverLock = nullptr;
  bool lockHeld = false;
  HANDLE firstProcess = nullptr;
};

namespace {

constexpr char kEventSuffix[] = "_upr_evt";
constexpr char kLockSuffix[] = "_upr_mtx";
constexpr DWORD kPollMilliseconds = 100;

struct LoopStart {
  Launcher* launcher;
  HANDLE queueReady;
};

struct WorkerStart {
  Launcher* launcher;
  DWORD sender;
  UINT message;
};

void postReply(void* context, int32_t value) {
  WorkerStart* start = static_cast<WorkerStart*>(context);
  PostThreadMessageA(start->sender, start->message, WPARAM(value), 0);
}

DWORD WINAPI workerMain(LPVOID parameter) {
  WorkerStart* start = static_cast<WorkerStart*>(parameter);
  deliverHandOver(*start->launcher, postReply, start);
  delete start;
  return 0;
}

// The message thread: one worker per hand-over until WM_QUIT.
void messageLoop(Launcher& launcher, HANDLE queueReady) {
  MSG message;
  // The queue exists from here on, so a hand-over posted as soon as the
  // thread id is published is not lost.
  PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  SetEvent(queueReady);
  UINT handOverMessage = launcher.channel.objects->handOverMessage;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message != handOverMessage) continue;
    if (!enterWorker(launcher.channel.gate)) continue;
    WorkerStart* start = new WorkerStart{&launcher, DWORD(message.wParam), handOverMessage};
    HANDLE worker = CreateThread(nullptr, 0, workerMain, start, 0, nullptr);
    if (worker) {
      CloseHandle(worker);
    } else {
      delete start;
      leaveWorker(launcher.channel.gate);
    }
  }
}

DWORD WINAPI messageLoopMain(LPVOID parameter) {
  LoopStart* start = static_cast<LoopStart*>(parameter);
  messageLoop(*start->launcher, start->queueReady);
  return 0;
}

// Exit code of the first instance when it has ended; -1 when it cannot be
// read, STILL_ACTIVE while it runs.
DWORD firstInstanceState(HANDLE process) {
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code)) return DWORD(-1);
  return code;
}

// Takes the hand-over lock, or learns that the first instance ended first.
void takeHandOverLock(SingleInstanceChannel& channel, const std::string& lockName) {
  ChannelObjects& objects = *channel.objects;
  objects.handOverLock = CreateMutexA(nullptr, FALSE, lockName.c_str());
  if (!objects.handOverLock) return;  // no lock to be had: hand over without one
  for (;;) {
    DWORD waited = WaitForSingleObject(objects.handOverLock, kPollMilliseconds);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) objects.lockHeld = true;
    else if (waited != WAIT_TIMEOUT) return;
    // Looked at after the lock too: the instance before us may have let
    // it go because the first one ended.
    DWORD state = objects.firstProcess ? firstInstanceState(objects.firstProcess) : STILL_ACTIVE;
    if (state != STILL_ACTIVE) {
      channel.finished = true;
      channel.finishedValue = int32_t(state);
      return;
    }
    if (objects.lockHeld) return;
  }
}

void releaseHandOverLock(ChannelObjects& objects) {
  if (objects.lockHeld) ReleaseMutex(objects.handOverLock);
  objects.lockHeld = false;
}

bool setUpFirstInstance(Launcher& launcher) {
  SingleInstanceChannel& channel = launcher.channel;
  ChannelObjects& objects = *channel.objects;
  objects.mainStartedEvent =
      CreateEventA(nullptr, TRUE, FALSE, (channel.name + kEventSuffix).c_str());
  objects.handOverMessage = RegisterWindowMessageA(channel.name.c_str());
  writeBlockField(channel.view, kHandOverMessageOffset, objects.handOverMessage);
  if (objects.handOverMessage == 0) return false;
  writeBlockField(channel.view, kOwnerProcessIdOffset, GetCurrentProcessId());

  HANDLE queueReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!queueReady) return false;
  LoopStart start{&launcher, queueReady};
  objects.messageThread =
      CreateThread(nullptr, 0, messageLoopMain, &start, 0, &objects.messageThreadId);
  if (objects.messageThread) WaitForSingleObject(queueReady, INFINITE);
  CloseHandle(queueReady);
  if (!objects.messageThread) return false;
  writeBlockField(channel.view, kOwnerThreadIdOffset, objects.messageThreadId);
  return true;
}

bool handOver(Launcher& launcher) {
  SingleInstanceChannel& channel = launcher.channel;
  ChannelObjects& objects = *channel.objects;
  objects.firstProcess = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE,
                                     readBlockField(channel.view, kOwnerProcessIdOffset));
  takeHandOverLock(channel, channel.name + kLockSuffix);
  if (channel.finished) return true;
  if (!writeArguments(launcher)) return false;
  // This thread's queue must exist before the reply can be posted to it.
  MSG message;
  PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  return PostThreadMessageA(readBlockField(channel.view, kOwnerThreadIdOffset),
                            readBlockField(channel.view, kHandOverMessageOffset),
                            WPARAM(GetCurrentThreadId()), 0) != 0;
}

}  // namespace

bool setUpSingleInstance(Launcher& launcher) {
  SingleInstanceChannel& channel = launcher.channel;
  bool wanted = false;
  if (!prepareChannel(launcher, &wanted)) return false;
  if (!wanted) return true;
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
    if (!setUpFirstInstance(launcher)) {
      // An ordinary launch from here on. The block goes at once, so that
      // later starts do not take this process for a first instance that
      // never answers.
      channel.singleInstance = false;
      closeSingleInstance(launcher);
    }
    return true;
  }
  return handOver(launcher);
}

int32_t waitForFirstInstance(Launcher& launcher) {
  SingleInstanceChannel& channel = launcher.channel;
  ChannelObjects& objects = *channel.objects;
  if (channel.finished) return channel.finishedValue;
  if (!objects.firstProcess) return 0;
  UINT handOverMessage = readBlockField(channel.view, kHandOverMessageOffset);
  int32_t result = 0;
  for (;;) {
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.message == handOverMessage) {
      result = int32_t(message.wParam);
      break;
    }
    DWORD state = firstInstanceState(objects.firstProcess);
    if (state != STILL_ACTIVE) {
      result = int32_t(state);
      break;
    }
    Sleep(kPollMilliseconds);
  }
  releaseHandOverLock(objects);
  return result;
}

void signalMainStarted(Launcher& launcher) {
  SingleInstanceChannel& channel = launcher.channel;
  if (!channel.objects) return;
  if (channel.objects->mainStartedEvent) SetEvent(channel.objects->mainStartedEvent);
  openHandOverGate(channel.gate);
}

void closeSingleInstance(Launcher& launcher) {
  SingleInstanceChannel& channel = launcher.channel;
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
  releaseHandOverLock(*objects);
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
