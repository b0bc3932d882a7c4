// Agents: the status sequence, run() on its own thread, done() and plain return both ending it,
// an exception ending it as canceled with the failure kept and every waiter released, cancel.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "agents.h"

using namespace Concurrency;

namespace {

class ScriptedAgent : public agent {
 public:
  explicit ScriptedAgent(std::function<void(ScriptedAgent&)> script) : script_(std::move(script)) {}
  ~ScriptedAgent() override { if (status() == agent_started || status() == agent_runnable) wait(this); }
  using agent::done;
  std::thread::id ranOn;
  event mayFinish;

 protected:
  void run() override {
    ranOn = std::this_thread::get_id();
    script_(*this);
  }

 private:
  std::function<void(ScriptedAgent&)> script_;
};

TEST(Agent, RunsOnItsOwnThreadAndEndsWithDone) {
  ScriptedAgent subject([](ScriptedAgent& self) {
    self.mayFinish.wait();
    self.done();
  });
  EXPECT_EQ(subject.status(), agent_created);
  ASSERT_TRUE(subject.start());
  EXPECT_FALSE(subject.start()) << "an agent starts once";
  EXPECT_NE(subject.status(), agent_done);
  subject.mayFinish.set();
  EXPECT_EQ(agent::wait(&subject), agent_done);
  EXPECT_NE(subject.ranOn, std::this_thread::get_id());
  EXPECT_FALSE(subject.done()) << "done twice";
  EXPECT_EQ(subject.failure(), nullptr);
}

TEST(Agent, AnExceptionEndsItAsCanceledReleasesWaitersAndIsKept) {
  ScriptedAgent subject([](ScriptedAgent& self) {
    self.mayFinish.wait();
    throw std::runtime_error("loader failed");
  });
  subject.start();
  std::vector<agent_status> seen(3, agent_created);
  std::vector<std::thread> waiters;
  for (auto& status : seen) waiters.emplace_back([&subject, &status] { status = agent::wait(&subject); });
  subject.mayFinish.set();
  for (auto& waiter : waiters) waiter.join();
  for (agent_status status : seen) EXPECT_EQ(status, agent_canceled);
  ASSERT_NE(subject.failure(), nullptr);
  EXPECT_THROW(std::rethrow_exception(subject.failure()), std::runtime_error);
}

TEST(Agent, CancelBeforeStartMeansItNeverRuns) {
  bool ran = false;
  ScriptedAgent subject([&](ScriptedAgent&) { ran = true; });
  EXPECT_TRUE(subject.cancel());
  EXPECT_FALSE(subject.start());
  EXPECT_EQ(agent::wait(&subject), agent_canceled);
  EXPECT_FALSE(ran);
}

// Ending with done(), returning from run() without it, and throwing.
TEST(Agent, WaitForAllReportsEachStatus) {
  ScriptedAgent good([](ScriptedAgent& self) { self.done(); });
  ScriptedAgent returned([](ScriptedAgent&) {});
  ScriptedAgent bad([](ScriptedAgent&) { throw 42; });
  agent* all[] = {&good, &returned, &bad};
  for (agent* each : all) each->start();
  agent_status statuses[3];
  agent::wait_for_all(3, all, statuses);
  EXPECT_EQ(statuses[0], agent_done);
  EXPECT_EQ(statuses[1], agent_done);
  EXPECT_EQ(statuses[2], agent_canceled);
}

}  // namespace
