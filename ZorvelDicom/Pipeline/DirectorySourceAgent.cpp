// Life cycle of the directory-source agent: it sleeps on its wake event until its last user
// leaves; a failure in its loop marks every live slide-access object aborted.
#include "Pipeline/DirectorySourceAgent.h"

#include <winbase.h>

namespace Pipeline {
namespace {
constexpr DWORD kPauseAfterFailureMs = 3000;
}

DirectorySourceAgent::DirectorySourceAgent(RequestBuffer& requests, ULONGLONG readLimit, StopCallback stopCallback,
                                           std::atomic<LONG>& opensInProgress)
    : m_requests(requests),
      m_opensInProgress(opensInProgress),
      m_stopCallback(std::move(stopCallback)),
      m_readLimit(readLimit) {}

DirectorySourceAgent::~DirectorySourceAgent() {
  if (status() != Concurrency::agent_created) Concurrency::agent::wait(this);
}

void DirectorySourceAgent::AddUser() {
  std::lock_guard lock(m_stateLock);
  ++m_users;
}

LONG DirectorySourceAgent::Users() {
  std::lock_guard lock(m_stateLock);
  return m_users;
}

void DirectorySourceAgent::AddSource(CDirectorySource* source) {
  std::lock_guard lock(m_stateLock);
  m_sources.insert(source);
}

bool DirectorySourceAgent::HasSource(CDirectorySource* source) {
  std::lock_guard lock(m_stateLock);
  return m_sources.count(source) != 0;
}

DirectorySourceAgent* DirectorySourceAgent::RemoveSource(CDirectorySource* source, bool abort) {
  std::lock_guard lock(m_stateLock);
  if (!abort && --m_users <= 0) m_stopping = true;
  m_sources.erase(source);
  if (m_failed) return this;
  if (!m_stopping) return nullptr;
  m_wake.set();
  return this;
}

void DirectorySourceAgent::ForgetSource(CDirectorySource* source) {
  std::lock_guard lock(m_stateLock);
  m_sources.erase(source);
}

void DirectorySourceAgent::Shutdown() {
  std::lock_guard lock(m_stateLock);
  m_stopping = true;
  m_wake.set();
}

void DirectorySourceAgent::run() {
  try {
    MainLoop();
  } catch (...) {
    m_failed = true;
    Sleep(kPauseAfterFailureMs);
    if (m_stopCallback) m_stopCallback();
  }
  done();
}

void DirectorySourceAgent::MainLoop() {
  while (WaitForWork()) {
  }
}

// Sleeps until woken; false once the agent is stopping.
bool DirectorySourceAgent::WaitForWork() {
  m_wake.wait();
  m_wake.reset();
  std::lock_guard lock(m_stateLock);
  return !m_stopping;
}

}  // namespace Pipeline
