// The platform-neutral half of the channel: the argument area, the gate and
// the call of secondaryMain.
#include "instance/single_instance.h"

#include "config/settings.h"
#include "instance/hand_over_block.h"
#include "jvm/java_main.h"
#include "jvm/jvm_host.h"
#include "process/module_path.h"
#include "report/messages.h"
#include "report/trace.h"

namespace tarn {

bool enterWorker(HandOverGate& gate) {
  std::lock_guard<std::mutex> lock(gate.mutex);
  if (gate.closed) return false;
  ++gate.workers;
  return true;
}

void leaveWorker(HandOverGate& gate) {
  std::lock_guard<std::mutex> lock(gate.mutex);
  --gate.workers;
  gate.changed.notify_all();
}

bool waitForMainStarted(HandOverGate& gate) {
  std::unique_lock<std::mutex> lock(gate.mutex);
  gate.changed.wait(lock, [&] { return gate.mainStarted || gate.closed; });
  // A worker that entered before the close is delivered even if it only
  // gets here after it: its arguments were taken while the program ran,
  // and the close waits for it before the VM goes.
  return gate.mainStarted;
}

void openHandOverGate(HandOverGate& gate) {
  std::lock_guard<std::mutex> lock(gate.mutex);
  gate.mainStarted = true;
  gate.changed.notify_all();
}

void closeHandOverGate(HandOverGate& gate) {
  std::unique_lock<std::mutex> lock(gate.mutex);
  gate.closed = true;
  gate.changed.notify_all();
  gate.changed.wait(lock, [&] { return gate.workers == 0; });
}

bool prepareChannel(SingleInstanceChannel& channel, bool* wanted) {
  *wanted = false;
  Machine& machine = *channel.launch.machine;
  if (!readSingleInstanceSetting(machine, *channel.launch.embeddedText, wanted)) return false;
  if (!*wanted) return true;
  std::string path;
  if (!modulePath(*machine.system, &path)) {
    *wanted = false;
    return true;
  }
  channel.name = channelNameFor(path);
  return true;
}

bool writeArguments(SingleInstanceChannel& channel) {
  return writeArgumentArea(channel.view + kArgumentAreaOffset, *channel.launch.arguments);
}

std::vector<std::string> readArguments(SingleInstanceChannel& channel) {
  return readArgumentArea(channel.view + kArgumentAreaOffset);
}

jclass findProgramClass(JNIEnv* env, const std::string& name) {
  // The class name reaches FindClass as the VM's own encoding of the
  // characters, as for the main method itself.
  jstring text = newJavaString(env, name);
  if (!text) return nullptr;
  const char* chars = env->GetStringUTFChars(text, nullptr);
  if (!chars) return nullptr;
  jclass found = env->FindClass(chars);
  env->ReleaseStringUTFChars(text, chars);
  return found;
}

namespace {

// The VM's shutdown has begun (System.exit, or the program's last thread
// gone), which the launch's teardown may never see: the runtime then
// refuses a new shutdown hook with IllegalStateException. An unstarted
// thread is offered and taken back. False when the VM does not tell.
bool vmShuttingDown(JNIEnv* env) {
  jclass runtimeClass = env->FindClass("java/lang/Runtime");
  jmethodID getRuntime = runtimeClass ? env->GetStaticMethodID(runtimeClass, "getRuntime",
                                                               "()Ljava/lang/Runtime;")
                                      : nullptr;
  if (!getRuntime || env->PushLocalFrame(8) != JNI_OK) {
    env->ExceptionClear();
    if (runtimeClass) env->DeleteLocalRef(runtimeClass);
    return false;
  }
  jclass threadClass = env->FindClass("java/lang/Thread");
  jmethodID newThread = threadClass ? env->GetMethodID(threadClass, "<init>", "()V") : nullptr;
  jmethodID add = newThread ? env->GetMethodID(runtimeClass, "addShutdownHook",
                                               "(Ljava/lang/Thread;)V")
                            : nullptr;
  jmethodID remove = add ? env->GetMethodID(runtimeClass, "removeShutdownHook",
                                            "(Ljava/lang/Thread;)Z")
                         : nullptr;
  jclass refusal = remove ? env->FindClass("java/lang/IllegalStateException") : nullptr;
  jobject runtime = refusal ? env->CallStaticObjectMethod(runtimeClass, getRuntime) : nullptr;
  jobject hook = runtime ? env->NewObject(threadClass, newThread) : nullptr;
  bool ending = false;
  if (hook && !env->ExceptionCheck()) {
    env->CallVoidMethod(runtime, add, hook);
    jthrowable thrown = env->ExceptionOccurred();
    env->ExceptionClear();
    if (thrown)
      ending = env->IsInstanceOf(thrown, refusal);
    else
      env->CallBooleanMethod(runtime, remove, hook);
  }
  env->ExceptionClear();
  env->PopLocalFrame(nullptr);
  env->DeleteLocalRef(runtimeClass);
  return ending;
}

void callSecondaryMain(const ChannelLaunch& launch, const std::vector<std::string>& arguments,
                       HandOverReply reply, void* context) {
  JavaVM* vm = launch.jvm ? launch.jvm->vm : nullptr;
  JNIEnv* env = nullptr;
  if (!vm || vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) return;
  // The program is ending: the second start becomes the next first instance.
  if (vmShuttingDown(env)) {
    trace("hand-over refused: the program is ending, its VM's shutdown has begun");
    reply(context, HandOverAnswer::kRefused, 0);
    vm->DetachCurrentThread();
    return;
  }

  jclass mainClass = findProgramClass(env, *launch.mainClass);
  if (mainClass) {
    bool returnsInt = false;
    jmethodID method =
        env->GetStaticMethodID(mainClass, "secondaryMain", "([Ljava/lang/String;)V");
    if (env->ExceptionCheck()) env->ExceptionClear();
    if (!method) {
      method = env->GetStaticMethodID(mainClass, "secondaryMain", "([Ljava/lang/String;)I");
      returnsInt = true;
    }
    trace("hand-over received: %s", method ? "calling secondaryMain" : "no secondaryMain");
    if (method) {
      trace("hand-over arguments: %d", static_cast<int>(arguments.size()));
      jobjectArray array = newJavaStringArray(env, arguments);
      if (array) {
        if (returnsInt) {
          jint value = env->CallStaticIntMethod(mainClass, method, array);
          trace("hand-over: secondaryMain returned %d", static_cast<int>(value));
          reply(context, HandOverAnswer::kReply, value);
        } else {
          reply(context, HandOverAnswer::kReply, 0);
          env->CallStaticVoidMethod(mainClass, method, array);
        }
        // Detaching hands an exception of secondaryMain to the thread's
        // uncaught-exception handler, as for main's.
        vm->DetachCurrentThread();
        return;
      }
    }
  }
  // The lookup's failure is the launcher's to report, not one for the
  // program's handler.
  printPendingException(env);
  vm->DetachCurrentThread();
}

}  // namespace

void deliverHandOver(SingleInstanceChannel& channel, const std::vector<std::string>& arguments,
                     HandOverReply reply, void* context) {
  HandOverGate& gate = channel.gate;
  if (waitForMainStarted(gate)) {
    callSecondaryMain(channel.launch, arguments, reply, context);
  } else {
    trace("hand-over refused: the program ended before main ran");
    reply(context, HandOverAnswer::kRefused, 0);
  }
  leaveWorker(gate);
}

int32_t exitValueWithoutAnswer(int32_t firstExitCode) {
  return firstExitCode == 0 ? -1 : firstExitCode;
}

namespace {

constexpr int kPollMilliseconds = 100;

HandOverOutcome awaitFirstInstance(SingleInstanceChannel& channel) {
  bool argumentsTaken = false;  // the first instance copied them out
  for (;;) {
    Answer answer = listenToFirst(channel, kPollMilliseconds);
    switch (answer.heard) {
      case Heard::kTaken:
        // A reply implies it.
        argumentsTaken = true;
        releaseHandOverLock(channel);
        trace("single instance: the first instance took the arguments");
        break;
      case Heard::kReply:
        trace("single instance: secondaryMain answered %d", static_cast<int>(answer.value));
        channel.finishedValue = answer.value;
        return HandOverOutcome::kDone;
      case Heard::kRefused:
        trace("single instance: the first instance is ending and refused the arguments");
        return HandOverOutcome::kStartOver;
      case Heard::kEnded:
        if (!argumentsTaken) {
          trace("single instance: the first instance ended without taking the arguments");
          return HandOverOutcome::kStartOver;
        }
        trace("single instance: the first instance ended with %d without an answer",
              static_cast<int>(answer.value));
        channel.finishedValue = exitValueWithoutAnswer(answer.value);
        return HandOverOutcome::kDone;
      default:
        break;
    }
  }
}

}  // namespace

HandOverOutcome awaitAnswer(SingleInstanceChannel& channel) {
  trace("single instance: second instance, arguments handed over: %d, channel %s",
        static_cast<int>(channel.launch.arguments->size()), channel.name.c_str());
  HandOverOutcome outcome = awaitFirstInstance(channel);
  releaseHandOverLock(channel);
  return outcome;
}

bool waitToStartOver(SingleInstanceChannel& channel,
                     std::chrono::steady_clock::time_point* deadline) {
  using std::chrono::milliseconds;
  releaseHandOverLock(channel);
  auto now = std::chrono::steady_clock::now();
  if (*deadline == std::chrono::steady_clock::time_point()) {
    *deadline = now + milliseconds(kEndingMilliseconds);
    trace("single instance: waiting up to %d s for the first instance to end",
          kEndingMilliseconds / 1000);
  }
  auto left = std::chrono::duration_cast<milliseconds>(*deadline - now).count();
  if (!waitForFirstEnd(channel, left > 0 ? static_cast<int>(left) : 0)) {
    trace("single instance: the first instance is still there");
    reportSilentFirstInstance();
    return false;
  }
  trace("single instance: the first instance has gone; starting over");
  return true;
}

void reportSilentFirstInstance() { printError(loadMessage(IDS_FIRST_INSTANCE_SILENT)); }

namespace {

// Waits, as destroying the VM would, until the program's non-daemon threads
// have ended, so that a program whose main has returned while its windows
// or threads go on still gets its hand-overs. Gives up quietly (leaving the
// wait to the VM's destruction) when the VM does not offer what it needs.
void waitForProgramThreads(JavaVM* vm) {
  JNIEnv* env = nullptr;
  if (vm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) return;
  jclass threadClass = env->FindClass("java/lang/Thread");
  jclass mapClass = threadClass ? env->FindClass("java/util/Map") : nullptr;
  jclass setClass = mapClass ? env->FindClass("java/util/Set") : nullptr;
  jmethodID current = nullptr, all = nullptr, alive = nullptr, daemon = nullptr, join = nullptr,
            keySet = nullptr, toArray = nullptr;
  if (setClass) {
    current = env->GetStaticMethodID(threadClass, "currentThread", "()Ljava/lang/Thread;");
    if (current) all = env->GetStaticMethodID(threadClass, "getAllStackTraces", "()Ljava/util/Map;");
    if (all) alive = env->GetMethodID(threadClass, "isAlive", "()Z");
    if (alive) daemon = env->GetMethodID(threadClass, "isDaemon", "()Z");
    if (daemon) join = env->GetMethodID(threadClass, "join", "()V");
    if (join) keySet = env->GetMethodID(mapClass, "keySet", "()Ljava/util/Set;");
    if (keySet) toArray = env->GetMethodID(setClass, "toArray", "()[Ljava/lang/Object;");
  }
  for (bool joined = toArray != nullptr; joined;) {
    joined = false;
    if (env->PushLocalFrame(16) != JNI_OK) break;
    jobject self = env->CallStaticObjectMethod(threadClass, current);
    jobject map = self ? env->CallStaticObjectMethod(threadClass, all) : nullptr;
    jobject keys = map ? env->CallObjectMethod(map, keySet) : nullptr;
    jobjectArray threads =
        keys ? static_cast<jobjectArray>(env->CallObjectMethod(keys, toArray)) : nullptr;
    jsize count = threads ? env->GetArrayLength(threads) : 0;
    for (jsize i = 0; i < count && !env->ExceptionCheck(); ++i) {
      jobject thread = env->GetObjectArrayElement(threads, i);
      if (thread && !env->IsSameObject(thread, self) && env->CallBooleanMethod(thread, alive) &&
          !env->CallBooleanMethod(thread, daemon) && !env->ExceptionCheck()) {
        env->CallVoidMethod(thread, join);
        joined = true;
      }
      env->DeleteLocalRef(thread);
    }
    if (env->ExceptionCheck()) joined = false;  // no second try: the VM's own wait follows
    env->PopLocalFrame(nullptr);
  }
  if (env->ExceptionCheck()) env->ExceptionClear();
  vm->DetachCurrentThread();
}

}  // namespace

void stopAcceptingHandOvers(SingleInstanceChannel& channel) {
  if (!channel.singleInstance || !channel.firstInstance) return;
  JavaVM* vm = channel.launch.jvm ? channel.launch.jvm->vm : nullptr;
  if (vm) waitForProgramThreads(vm);
  closeHandOverGate(channel.gate);
}

}  // namespace tarn
