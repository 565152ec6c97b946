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

struct Launcher;

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

struct SingleInstanceChannel {
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

// Called by initialise after the argument list is built. False means the
// process ends with -1.
bool setUpSingleInstance(Launcher& launcher);

// The second instance's exit value: the reply, or the first's exit code.
int32_t waitForFirstInstance(Launcher& launcher);

// The first steps of the set-up on either target: false when the process
// must end; otherwise *wanted tells whether the channel is asked for and
// in use, with its name set in the launcher's channel.
bool prepareChannel(Launcher& launcher, bool* wanted);

bool writeArguments(Launcher& launcher);
std::vector<std::string> readArguments(Launcher& launcher);

// The first instance's main method is about to run: hand-overs may go in.
void signalMainStarted(Launcher& launcher);

// Teardown, before the VM is destroyed: once the program's non-daemon
// threads have ended, no further hand-over reaches it.
void stopAcceptingHandOvers(Launcher& launcher);
// Teardown, after the VM: the block and the remaining objects go.
void closeSingleInstance(Launcher& launcher);

// The main class as FindClass wants its name; null (exception pending) when absent.
jclass findProgramClass(JNIEnv* env, const std::string& name);

// One hand-over on a worker of the first instance (entered): waits for the
// main method, calls secondaryMain with the arguments taken from the area
// when the hand-over came in, answers the second instance through
// reply(context, value), and leaves the gate.
using HandOverReply = void (*)(void* context, int32_t value);
void deliverHandOver(Launcher& launcher, const std::vector<std::string>& arguments,
                     HandOverReply reply, void* context);

// A second instance that could not hand over because the first instance
// never completed the block in time says so.
void reportSilentFirstInstance();

}  // namespace tarn

#endif
