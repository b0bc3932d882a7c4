// Owner of the process-wide directory-source agent and its request buffer: created together by the
// first opening in the normal mode, destroyed together when the last user has left.
// Thread-safe: the agent mutex guards both pointers; waiting for the agent happens outside it.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "Pipeline/DirectorySourceAgent.h"

namespace Pipeline {

class SourceAgentHolder {
 public:
  static SourceAgentHolder& Instance();
  // A host that ends without releasing its objects leaves the agent running: it is stopped here.
  ~SourceAgentHolder();

  // Makes sure the agent exists and runs, and counts one more user.
  void Join(ULONGLONG readLimit, DirectorySourceAgent::StopCallback stopCallback);
  // Hands a bound directory source to the agent, when there is one.
  void AddSource(CDirectorySource* source);
  // A source closed by its last user (also one opened synchronously) leaves the agent's records.
  void ForgetSource(CDirectorySource* source);
  // One user leaves (RemoveSource); a returned agent is waited for and destroyed with its buffer.
  // True when the agent ended.
  bool Leave(CDirectorySource* source, bool abort);
  // Updates the read limit of a running agent.
  void SetReadLimit(ULONGLONG readLimit);
  bool HasAgent();
  // The agent exists and its loop ended by an exception.
  bool AgentFailed();
  // Hands a view request to the running agent; false when there is none to serve it.
  bool Submit(std::shared_ptr<ViewpartState> request);
  // Wakes the running agent (a decode stage deferred a tile of a request it serves).
  void Wake();
  LONG Users();
  // No agent, or its read-ahead around the last view has gone as far as it goes.
  bool ReadAheadDone();
  bool HasSource(CDirectorySource* source);

  // Counts a zoom-level opening in progress for the agent's read-ahead while it lives.
  class OpeningInProgress {
   public:
    OpeningInProgress();
    ~OpeningInProgress();
    OpeningInProgress(const OpeningInProgress&) = delete;
    OpeningInProgress& operator=(const OpeningInProgress&) = delete;
  };

 private:
  std::mutex m_mutex;
  std::unique_ptr<RequestBuffer> m_requests;
  std::unique_ptr<DirectorySourceAgent> m_agent;
  std::atomic<LONG> m_opensInProgress{0};
};

}  // namespace Pipeline
