// The process-wide directory-source agent and its request buffer, created on demand and
// destroyed by the last user's leaving.
#include "Pipeline/SourceAgentHolder.h"

namespace Pipeline {

SourceAgentHolder& SourceAgentHolder::Instance() {
  static SourceAgentHolder holder;
  return holder;
}

SourceAgentHolder::~SourceAgentHolder() {
  if (!m_agent) return;
  m_agent->Shutdown();
  Concurrency::agent::wait(m_agent.get());
}

void SourceAgentHolder::Join(ULONGLONG readLimit, DirectorySourceAgent::StopCallback stopCallback) {
  std::lock_guard lock(m_mutex);
  if (!m_agent) {
    m_requests = std::make_unique<RequestBuffer>();
    m_agent = std::make_unique<DirectorySourceAgent>(*m_requests, readLimit, std::move(stopCallback),
                                                     m_opensInProgress);
    m_agent->start();
  }
  m_agent->AddUser();
}

void SourceAgentHolder::AddSource(CDirectorySource* source) {
  std::lock_guard lock(m_mutex);
  if (m_agent) m_agent->AddSource(source);
}

void SourceAgentHolder::ForgetSource(CDirectorySource* source) {
  std::lock_guard lock(m_mutex);
  if (m_agent) m_agent->ForgetSource(source);
}

bool SourceAgentHolder::Leave(CDirectorySource* source, bool abort) {
  std::unique_ptr<DirectorySourceAgent> ended;
  std::unique_ptr<RequestBuffer> endedRequests;
  {
    std::lock_guard lock(m_mutex);
    if (!m_agent || m_agent->RemoveSource(source, abort) == nullptr) return false;
    ended = std::move(m_agent);
    endedRequests = std::move(m_requests);
  }
  Concurrency::agent::wait(ended.get());
  ended.reset();
  endedRequests.reset();
  return true;
}

void SourceAgentHolder::SetReadLimit(ULONGLONG readLimit) {
  std::lock_guard lock(m_mutex);
  if (m_agent) m_agent->SetReadLimit(readLimit);
}

bool SourceAgentHolder::HasAgent() {
  std::lock_guard lock(m_mutex);
  return m_agent != nullptr;
}

bool SourceAgentHolder::AgentFailed() {
  std::lock_guard lock(m_mutex);
  return m_agent && m_agent->HasFailed();
}

bool SourceAgentHolder::Submit(std::shared_ptr<ViewpartState> request) {
  std::lock_guard lock(m_mutex);
  return m_agent && m_agent->Submit(std::move(request));
}

void SourceAgentHolder::Wake() {
  std::lock_guard lock(m_mutex);
  if (m_agent) m_agent->Wake();
}

LONG SourceAgentHolder::Users() {
  std::lock_guard lock(m_mutex);
  return m_agent ? m_agent->Users() : 0;
}

bool SourceAgentHolder::ReadAheadDone() {
  std::lock_guard lock(m_mutex);
  return !m_agent || m_agent->ReadAheadDone();
}

bool SourceAgentHolder::HasSource(CDirectorySource* source) {
  std::lock_guard lock(m_mutex);
  return m_agent && m_agent->HasSource(source);
}

SourceAgentHolder::OpeningInProgress::OpeningInProgress() { ++Instance().m_opensInProgress; }

SourceAgentHolder::OpeningInProgress::~OpeningInProgress() { --Instance().m_opensInProgress; }

}  // namespace Pipeline
