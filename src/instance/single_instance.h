// The single-instance channel: a second start of the same executable hands
// its arguments to the first through the shared block and a message, and
// exits with the first instance's reply.
#ifndef TARN_INSTANCE_SINGLE_INSTANCE_H
#define TARN_INSTANCE_SINGLE_INSTANCE_H

#include <jni.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace tarn {

struct JvmHost;
struct Machine;

// Lets hand-over workers reach the program once its main method is about
// to run. Teardown closes it before the VM is destroyed and waits until
// every worker has left, so none attaches to a VM that is gone.
struct HandOverGate {
  std::mutex mutex;
  std::condition_variable changed;
  bool mainStarted = false;
  bool closed = false;
  int workers = 0;  // started and not yet ended
};

// A worker may start; false once closed. Every true is paired with leaveWorker.
bool enterWorker(HandOverGate& gate);
void leaveWorker(HandOverGate& gate);
// Waits until the main method is about to run; false when the gate closed
// before it did.
bool waitForMainStarted(HandOverGate& gate);
void openHandOverGate(HandOverGate& gate);
void closeHandOverGate(HandOverGate& gate);

// The system objects behind the channel; their layout is the platform's.
struct ChannelObjects;

// What the channel reaches of the launch; it all outlives the channel. A
// second instance hands the arguments over; a first instance's hand-overs
// reach the program through the VM and the main class, which they read only
// once the main method is about to run.
struct ChannelLaunch {
  Machine* machine = nullptr;
  const std::string* embeddedText = nullptr;
  const std::vector<std::string>* arguments = nullptr;
  const JvmHost* jvm = nullptr;
  const std::string* mainClass = nullptr;
};

struct SingleInstanceChannel {
  ChannelLaunch launch;
  bool singleInstance = false;  // the channel is in use
  bool firstInstance = false;   // this process owns the block
  std::string name;             // channelName
  uint8_t* view = nullptr;      // the mapped HandOverBlock
  ChannelObjects* objects = nullptr;
  HandOverGate gate;
  // A second instance has its answer: it ends with this value.
  int32_t finishedValue = 0;
};

// How long a second start waits for a first instance that is ending (it
// refused the hand-over, or cannot be reached) before it gives up.
constexpr int kEndingMilliseconds = 30000;

// Called once the argument list is built; keeps the launch in the channel.
// A second instance hands its arguments over and waits for the answer here:
// it comes back finished, or as the first instance when the one before
// ended without taking them. False means the process ends with -1.
bool setUpSingleInstance(SingleInstanceChannel& channel, const ChannelLaunch& launch);

// A second instance whose arguments the first instance took, and which
// ended without answering (no secondaryMain, or it ended first): its exit
// code, except that nothing done is never reported as success.
int32_t exitValueWithoutAnswer(int32_t firstExitCode);

// The second instance's wait, the same on both targets around three
// platform calls: listenToFirst, releaseHandOverLock and waitForFirstEnd.
enum class Heard { kNothing, kSynced, kTaken, kReply, kRefused, kEnded };
struct Answer {
  Heard heard;
  int32_t value;
};
// The next answer for this second instance, or the first instance's end
// with its exit code (-1 when there is none to be had); waits up to `wait`
// milliseconds for either when neither is there yet.
Answer listenToFirst(SingleInstanceChannel& channel, int wait);
// The next second instance may use the argument area.
void releaseHandOverLock(SingleInstanceChannel& channel);
// False when the first instance still runs after that long.
bool waitForFirstEnd(SingleInstanceChannel& channel, int milliseconds);

// kDone: the second instance has its answer (finished). kStartOver: its
// arguments were not taken and will not be, as the first instance is
// ending or has ended.
enum class HandOverOutcome { kDone, kFailed, kStartOver };
// Once the arguments are sent: waits for the answer, then lets the next
// second instance use the area.
HandOverOutcome awaitAnswer(SingleInstanceChannel& channel);
// After kStartOver: waits for the first instance to end, up to
// kEndingMilliseconds from the first call of this set-up (*deadline, zero
// before it); false, reported, when it does not.
bool waitToStartOver(SingleInstanceChannel& channel,
                     std::chrono::steady_clock::time_point* deadline);

// The first steps of the set-up on either target: false when the process
// must end; otherwise *wanted tells whether the channel is asked for and
// in use, with its name set in the channel.
bool prepareChannel(SingleInstanceChannel& channel, bool* wanted);

bool writeArguments(SingleInstanceChannel& channel);
std::vector<std::string> readArguments(SingleInstanceChannel& channel);

// The first instance's main method is about to run: hand-overs may go in.
void signalMainStarted(SingleInstanceChannel& channel);

// Teardown, before the VM is destroyed: once the program's non-daemon
// threads have ended, no further hand-over reaches it.
void stopAcceptingHandOvers(SingleInstanceChannel& channel);
// Teardown, after the VM: the block and the remaining objects go.
void closeSingleInstance(SingleInstanceChannel& channel);

// The main class as FindClass wants its name; null (exception pending) when absent.
jclass findProgramClass(JNIEnv* env, const std::string& name);

// One hand-over on a worker of the first instance (entered): waits for the
// main method, calls secondaryMain with the arguments taken from the area
// when the hand-over came in, answers the second instance through
// reply(context, kReply, value), and leaves the gate. Closed before main
// ran, the gate refuses it: reply(context, kRefused, 0).
enum class HandOverAnswer { kReply, kRefused };
using HandOverReply = void (*)(void* context, HandOverAnswer answer, int32_t value);
void deliverHandOver(SingleInstanceChannel& channel, const std::vector<std::string>& arguments,
                     HandOverReply reply, void* context);

// A second instance that could not hand over because the first instance
// never completed the block in time says so.
void reportSilentFirstInstance();

}  // namespace tarn

#endif
