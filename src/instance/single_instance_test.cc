#include "instance/single_instance.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace tarn {
namespace {

TEST(HandOverGate, WorkersWaitForMainThenRun) {
  HandOverGate gate;
  std::atomic<int> delivered{0};
  std::thread worker;
  ASSERT_TRUE(enterWorker(gate));
  worker = std::thread([&] {
    if (waitForMainStarted(gate)) delivered = 1;
    leaveWorker(gate);
  });
  openHandOverGate(gate);
  worker.join();
  EXPECT_EQ(delivered, 1);
  // Once open, later workers go straight through.
  ASSERT_TRUE(enterWorker(gate));
  EXPECT_TRUE(waitForMainStarted(gate));
  leaveWorker(gate);
  closeHandOverGate(gate);
}

TEST(HandOverGate, ClosingReleasesWaitingWorkersUndelivered) {
  HandOverGate gate;
  std::atomic<int> outcome{0};
  ASSERT_TRUE(enterWorker(gate));
  std::thread worker([&] {
    outcome = waitForMainStarted(gate) ? 1 : 2;
    leaveWorker(gate);
  });
  closeHandOverGate(gate);
  // Close returns only once the worker has left, so its outcome is in.
  EXPECT_EQ(outcome, 2);
  worker.join();
  EXPECT_FALSE(enterWorker(gate));
}

TEST(HandOverGate, AHandOverWaitingWhenTheGateClosesIsRefused) {
  SingleInstanceChannel channel;
  ASSERT_TRUE(enterWorker(channel.gate));
  std::vector<HandOverAnswer> answers;
  std::thread worker([&] {
    deliverHandOver(channel, {"a"},
                    [](void* context, HandOverAnswer answer, int32_t) {
                      static_cast<std::vector<HandOverAnswer>*>(context)->push_back(answer);
                    },
                    &answers);
  });
  closeHandOverGate(channel.gate);
  worker.join();
  EXPECT_EQ(answers, std::vector<HandOverAnswer>{HandOverAnswer::kRefused});
}

// The worker of a hand-over taken while main ran may start only once the
// teardown has closed the gate: it is still delivered, never refused (a
// refused second start would run the program anew).
TEST(HandOverGate, AWorkerTakenAfterMainStartedIsDeliveredThoughItStartsAfterTheClose) {
  SingleInstanceChannel channel;
  openHandOverGate(channel.gate);
  ASSERT_TRUE(enterWorker(channel.gate));
  std::thread closer([&] { closeHandOverGate(channel.gate); });
  for (bool closed = false; !closed; std::this_thread::yield()) {
    std::lock_guard<std::mutex> lock(channel.gate.mutex);
    closed = channel.gate.closed;
  }
  std::vector<HandOverAnswer> answers;
  deliverHandOver(channel, {"a"},
                  [](void* context, HandOverAnswer answer, int32_t) {
                    static_cast<std::vector<HandOverAnswer>*>(context)->push_back(answer);
                  },
                  &answers);
  closer.join();
  // No VM in this test: delivered means the call was attempted, not refused.
  EXPECT_TRUE(answers.empty());
}

TEST(HandOverGate, ClosingWaitsForAWorkerInTheProgram) {
  HandOverGate gate;
  openHandOverGate(gate);
  std::atomic<bool> inside{false}, finish{false}, finished{false};
  ASSERT_TRUE(enterWorker(gate));
  std::thread worker([&] {
    ASSERT_TRUE(waitForMainStarted(gate));
    inside = true;
    while (!finish) std::this_thread::yield();
    finished = true;
    leaveWorker(gate);
  });
  while (!inside) std::this_thread::yield();
  std::thread closer([&] { closeHandOverGate(gate); });
  finish = true;
  closer.join();
  EXPECT_TRUE(finished);
  worker.join();
}

}  // namespace
}  // namespace tarn
