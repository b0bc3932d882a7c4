// The process-wide directory-source agent: a thread of its own that serves the tile requests of
// every slide-access object, newest first, and its life cycle: users, slides, waking, stopping.
// Thread-safe: the state lock guards users, stopping and the slides, the stack lock the requests;
// only the agent's thread sends tiles or ends a request it may still serve (the consumer ends a
// request whose every tile it has accounted for). Lock order: state lock, then stack lock.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include <agents.h>
#include <windef.h>

#include "Pipeline/SlideRecord.h"
#include "Pipeline/TileLoader.h"

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
  // A request's tile was deferred by a decode stage: the agent looks at the request again.
  void Wake() { m_wake.set(); }
  void SetReadLimit(ULONGLONG readLimit) { m_readLimit = readLimit; }
  ULONGLONG ReadLimit() const { return m_readLimit; }
  // Zoom-level openings in progress; read-ahead waits while it is above 0.
  std::atomic<LONG>& OpensInProgress() { return m_opensInProgress; }
  bool HasFailed() const { return m_failed; }
  bool HasSource(CDirectorySource* source);
  LONG Users();

  // The last viewed slide's read-ahead has gone as far as it goes (or nothing was viewed).
  bool ReadAheadDone();

  // Takes a request in; false when the agent has ended (or is ending) and will serve no more.
  bool Submit(std::shared_ptr<ViewpartState> request);

 protected:
  void run() override;

 private:
  void MainLoop();
  // Moves posted requests onto the stack and drops finished ones; the request to serve, or null.
  std::shared_ptr<ViewpartState> TakeIn(bool& stopping);
  void ServeView(const std::shared_ptr<ViewpartState>& request);
  void LoadTile(const std::shared_ptr<ViewpartState>& request, int32_t column, int32_t row, int32_t channel);
  void WaitForWork(bool pendingTiles);
  // The agent's thread runs the work it starts on this scheduler (null: the default one).
  void AttachTo(Concurrency::Scheduler* scheduler);
  // Read-ahead (DirectorySourceAgentReadAhead.cpp). State lock held: a view taken in is recorded
  // and cancels the tile read-ahead of its slide.
  void RecordView(const ViewpartState& view);
  // With nothing to serve: one step of read-ahead around the last view. False when none is left.
  bool ReadAheadStep();
  bool ChunkReadAheadStep(SlideRecord& record);
  bool PlanTileReadAhead(CDirectorySource* slide, SlideRecord& record);
  std::optional<LevelGrid> OpenFinerLevel(CDirectorySource* slide, SlideRecord& record);
  void ServePreload(const std::shared_ptr<ViewpartState>& request);
  void ForgetRecord(CDirectorySource* source);
  // Ends every request the agent holds or is yet to take in; no request is taken in afterwards.
  void EndAll(HRESULT hr);

  RequestBuffer& m_requests;
  Concurrency::event m_wake;
  std::mutex m_stateLock;
  std::set<CDirectorySource*> m_sources;  // slides with a record (not owned)
  std::map<CDirectorySource*, SlideRecord> m_records;  // the last view of each slide
  CDirectorySource* m_recentSlide = nullptr;           // viewed last
  std::set<CDirectorySource*> m_closedSources;  // closed with requests possibly queued (not owned)
  std::mutex m_stackLock;
  std::vector<std::shared_ptr<ViewpartState>> m_stack;  // newest last; guarded by the stack lock
  bool m_closed = false;                                // guarded by the stack lock
  bool m_pendingTiles = false;  // a request waits for another's decoding (agent thread only)
  bool m_viewInFlight = false;  // a view request is not finished yet (agent thread only)
  TileLoader m_loader;
  Concurrency::Scheduler* m_attached = nullptr;  // referenced while attached (agent thread only)
  LONG m_users = 0;
  std::atomic<LONG>& m_opensInProgress;
  bool m_stopping = false;
  std::atomic<bool> m_failed{false};
  StopCallback m_stopCallback;
  std::atomic<ULONGLONG> m_readLimit;
};

}  // namespace Pipeline
