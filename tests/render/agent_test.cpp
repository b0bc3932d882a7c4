// The directory-source agent ends requests it will not serve: those of a slide closed while they
// were queued, and every one it holds when it stops; a stopped agent takes no request.
#include <gtest/gtest.h>

#include <atomic>

#include "Pipeline/DirectorySourceAgent.h"
#include "Pipeline/ViewpartState.h"

namespace Pipeline {
namespace {

// lastChannel -1: a request with nothing left to hand out, which only the consumer could end.
std::shared_ptr<ViewpartState> QueuedView(CDirectorySource* slide, int32_t lastChannel = 0) {
  ViewpartState::Source source;
  source.directorySource = slide;
  source.lastChannel = lastChannel;
  source.lastColumn = 3;
  source.lastRow = 3;
  return ViewpartState::MakeView(source, nullptr, true, false);
}

TEST(DirectorySourceAgentTest, EndsRequestsItWillNotServe) {
  RequestBuffer buffer;
  std::atomic<LONG> opens{0};
  DirectorySourceAgent agent(buffer, 1, nullptr, opens);
  auto* closedSlide = reinterpret_cast<CDirectorySource*>(0x1000);
  auto* otherSlide = reinterpret_cast<CDirectorySource*>(0x2000);
  const auto ofClosedSlide = QueuedView(closedSlide);
  ASSERT_TRUE(agent.Submit(ofClosedSlide));
  agent.ForgetSource(closedSlide);
  agent.AddUser();
  agent.start();
  ofClosedSlide->WaitFinished();
  EXPECT_EQ(ofClosedSlide->Error(), E_FAIL);

  // The last user leaves while a request waits: it is ended, and the agent takes no more.
  const auto queued = QueuedView(otherSlide, -1);
  ASSERT_TRUE(agent.Submit(queued));
  agent.RemoveSource(otherSlide, false);
  queued->WaitFinished();
  Concurrency::agent::wait(&agent);
  EXPECT_EQ(queued->Error(), E_FAIL);
  EXPECT_FALSE(agent.Submit(QueuedView(otherSlide)));
}

}  // namespace
}  // namespace Pipeline
