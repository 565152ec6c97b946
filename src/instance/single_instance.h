// The single-instance channel: a second start of the same executable hands
// its arguments to the first through the shared block and a message, and
// exits with the first instance's reply.
#ifndef TARN_INSTANCE_SINGLE_INSTANCE_H
#define TARN_INSTANCE_SINGLE_INSTANCE_H

#include <jni.h>

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
// Waits until the main method is about to run; false once closed.
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
  // A second instance that learned the first's end while waiting to hand
  // over ends with this value.
  bool finished = false;
  int32_t finishedValue = 0;
};

// Called once the argument list is built; keeps the launch in the channel.
// False means the process ends with -1.
bool setUpSingleInstance(SingleInstanceChannel& channel, const ChannelLaunch& launch);

// The second instance's exit value: the reply, or the first's exit code.
int32_t waitForFirstInstance(SingleInstanceChannel& channel);

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
// reply(context, value), and leaves the gate.
using HandOverReply = void (*)(void* context, int32_t value);
void deliverHandOver(SingleInstanceChannel& channel, const std::vector<std::string>& arguments,
                     HandOverReply reply, void* context);

// A second instance that could not hand over because the first instance
// never completed the block in time says so.
void reportSilentFirstInstance();

}  // namespace tarn

#endif
