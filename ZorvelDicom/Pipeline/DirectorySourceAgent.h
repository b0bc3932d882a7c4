// The process-wide directory-source agent: a thread of its own that serves the tile requests of
// every slide-access object. Here its life cycle: users, the slides handed to it, waking, stopping.
// Thread-safe: the state lock guards users, stopping and the slides; counts read by the agent are atomic.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>

#include <agents.h>
#include <windef.h>

class CDirectorySource;

namespace Pipeline {

struct ViewpartState;
// Requests posted by region rendering; the agent takes them in.
using RequestBuffer = Concurrency::unbounded_buffer<std::shared_ptr<ViewpartState>>;

class DirectorySourceAgent final : public Concurrency::agent {
 public:
  using StopCallback = std::function<int()>;

  // opensInProgress: the process-wide count of zoom-level openings in progress (outlives the agent).
  DirectorySourceAgent(RequestBuffer& requests, ULONGLONG readLimit, StopCallback stopCallback,
                       std::atomic<LONG>& opensInProgress);
  ~DirectorySourceAgent() override;

  void AddUser();
  // A slide-access object bound a directory source; the agent keeps a record for it.
  void AddSource(CDirectorySource* source);
  // A slide-access object leaves. Unless abort, it takes one user away; the last user makes the
  // agent stop. Returns this agent when it has failed or is stopping (the caller waits for it and
  // destroys it), else null.
  DirectorySourceAgent* RemoveSource(CDirectorySource* source, bool abort);
  // The source is closed for good: its record goes, the users stay as they are.
  void ForgetSource(CDirectorySource* source);
  // Makes the agent stop whatever its users: the process is ending.
  void Shutdown();
  void SetReadLimit(ULONGLONG readLimit) { m_readLimit = readLimit; }
  ULONGLONG ReadLimit() const { return m_readLimit; }
  // Zoom-level openings in progress; read-ahead waits while it is above 0.
  std::atomic<LONG>& OpensInProgress() { return m_opensInProgress; }
  bool HasFailed() const { return m_failed; }
  bool HasSource(CDirectorySource* source);
  LONG Users();

 protected:
  void run() override;

 private:
  void MainLoop();
  bool WaitForWork();

  RequestBuffer& m_requests;
  Concurrency::event m_wake;
  std::mutex m_stateLock;
  std::set<CDirectorySource*> m_sources;  // slides with a record (not owned)
  LONG m_users = 0;
  std::atomic<LONG>& m_opensInProgress;
  bool m_stopping = false;
  std::atomic<bool> m_failed{false};
  StopCallback m_stopCallback;
  std::atomic<ULONGLONG> m_readLimit;
};

}  // namespace Pipeline
