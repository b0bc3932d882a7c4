// The directory-source agent: serves the newest request first, one tile per pass, sleeps on its
// wake event when nothing is left to hand out, and ends every request it holds when it stops or
// fails; a failure in its loop also marks every live slide-access object aborted.
#include "Pipeline/DirectorySourceAgent.h"

#include <algorithm>

#include <winbase.h>

#include "HugeCache/DecodedTileCache.h"
#include "HugeCache/EncodedTileCache.h"
#include "Pipeline/ViewpartState.h"

namespace Pipeline {
namespace {
constexpr DWORD kPauseAfterFailureMs = 3000;
// Tiles deferred to another request's decoding are looked at again after this pause.
constexpr unsigned int kPendingPollMs = 2;
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
  ForgetRecord(source);
  if (m_failed) return this;
  if (!m_stopping) return nullptr;
  m_wake.set();
  return this;
}

void DirectorySourceAgent::ForgetSource(CDirectorySource* source) {
  std::lock_guard lock(m_stateLock);
  m_sources.erase(source);
  ForgetRecord(source);
  m_closedSources.insert(source);
  m_wake.set();
}

// State lock held. The slide's caches may go with the object that leaves: its read-ahead ends.
void DirectorySourceAgent::ForgetRecord(CDirectorySource* source) {
  m_records.erase(source);
  std::lock_guard stack(m_stackLock);
  for (auto& request : m_stack) {
    if (request->kind == ViewpartState::TilePreload && request->source.directorySource == source) {
      request->kind = ViewpartState::Cancelled;
    }
  }
}

bool DirectorySourceAgent::Submit(std::shared_ptr<ViewpartState> request) {
  {
    std::lock_guard lock(m_stackLock);
    if (m_closed) return false;
    Concurrency::send(m_requests, std::move(request));
  }
  m_wake.set();
  return true;
}

void DirectorySourceAgent::Shutdown() {
  std::lock_guard lock(m_stateLock);
  m_stopping = true;
  m_wake.set();
}

void DirectorySourceAgent::run() {
  try {
    MainLoop();
    AttachTo(nullptr);
    EndAll(E_FAIL);
  } catch (...) {
    try {
      AttachTo(nullptr);
    } catch (...) {
      m_attached = nullptr;
    }
    m_failed = true;
    Sleep(kPauseAfterFailureMs);
    EndAll(E_FAIL);
    if (m_stopCallback) m_stopCallback();
  }
  done();
}

void DirectorySourceAgent::MainLoop() {
  for (;;) {
    bool stopping = false;
    const std::shared_ptr<ViewpartState> request = TakeIn(stopping);
    if (stopping) return;
    if (request) {
      AttachTo(request->kind == ViewpartState::ViewRequest ? request->scheduler : nullptr);
      if (request->kind == ViewpartState::ViewRequest) {
        // A request with only deferred tiles left looks again after a pause, not in a busy loop.
        const bool onlyDeferred = request->IsDone();
        ServeView(request);
        if (onlyDeferred) WaitForWork(true);
      } else if (m_opensInProgress.load() > 0 || m_viewInFlight) {
        WaitForWork(true);  // read-ahead gives way to a level being opened and to views being decoded
      } else {
        // Under the state lock: a slide's leaving waits for this step and then cancels the rest.
        std::lock_guard state(m_stateLock);
        if (request->kind == ViewpartState::TilePreload) ServePreload(request);
      }
      continue;
    }
    AttachTo(nullptr);
    // Reading ahead while a view's tiles are still decoded would take processor time from them.
    if (!m_viewInFlight && ReadAheadStep()) continue;
    // Read-ahead that gave way (to a level being opened, a view being decoded) looks again after a pause.
    const bool soon = m_pendingTiles || m_viewInFlight || m_opensInProgress.load() > 0;
    if (!soon) m_loader.Drain();  // lets go of the last request's scheduler before sleeping
    WaitForWork(soon);
  }
}

// Attaching adds a reference of the agent's own, so the scheduler outlives the request's call
// for as long as the agent stays attached.
void DirectorySourceAgent::AttachTo(Concurrency::Scheduler* scheduler) {
  if (scheduler == m_attached) return;
  if (m_attached != nullptr) {
    m_attached = nullptr;
    Concurrency::CurrentScheduler::Detach();
  }
  if (scheduler != nullptr) {
    scheduler->Attach();
    m_attached = scheduler;
  }
}

std::shared_ptr<ViewpartState> DirectorySourceAgent::TakeIn(bool& stopping) {
  std::lock_guard state(m_stateLock);
  std::lock_guard stack(m_stackLock);
  std::shared_ptr<ViewpartState> posted;
  while (Concurrency::try_receive(m_requests, posted)) {
    RecordView(*posted);
    m_stack.push_back(std::move(posted));
  }
  for (auto& request : m_stack) {
    if (m_closedSources.count(request->source.directorySource) != 0) request->Finish(E_FAIL);
  }
  m_closedSources.clear();
  // Read-ahead requests end when they have handed out their last tile or were cancelled.
  std::erase_if(m_stack, [](const auto& request) {
    return request->IsFinished() || request->kind == ViewpartState::Cancelled ||
           (request->kind == ViewpartState::TilePreload && request->IsDone());
  });
  stopping = m_stopping;
  m_pendingTiles = false;
  m_viewInFlight = false;
  for (const auto& request : m_stack) {
    m_pendingTiles = m_pendingTiles || request->HasPending();
    m_viewInFlight = m_viewInFlight || request->kind == ViewpartState::ViewRequest;
  }
  const auto serving = std::find_if(m_stack.rbegin(), m_stack.rend(), [](const auto& r) {
    return !r->IsDone() || (r->HasPending() && !r->IsFinished());
  });
  return serving == m_stack.rend() ? nullptr : *serving;
}

// One step of a view request: tiles that another request finished decoding meanwhile go on to
// placement; then the next tile comes from the decoded cache, the encoded cache or the slide.
void DirectorySourceAgent::ServeView(const std::shared_ptr<ViewpartState>& request) {
  for (const PendingTile& tile : request->TakePending()) LoadTile(request, tile.column, tile.row, tile.channel);
  if (request->IsDone()) return;
  const int32_t channel = request->currentChannel;
  int32_t column = 0, row = 0;
  request->NextTile(column, row);
  LoadTile(request, column, row, channel);
}

void DirectorySourceAgent::LoadTile(const std::shared_ptr<ViewpartState>& request, int32_t column, int32_t row,
                                    int32_t channel) {
  const ViewpartState::Source& s = request->source;
  if (HugeCache::DecodedTileCache* decoded = s.decodedCache) {
    if (const unsigned char* slot = decoded->Find(s.focus, s.zoomLevel, channel, row, column, true)) {
      RequestTargets& targets = *request->targets;
      const uint32_t index = targets.NextSecondStage();
      Concurrency::send(targets.secondStage[index], TileRef(request, column, row, channel, decoded, slot, index));
      return;
    }
    if (decoded->IsPending(s.focus, s.zoomLevel, channel, row, column)) {
      request->AddPending({channel, column, row});
      return;
    }
  }
  if (s.encodedCache != nullptr) {
    ULONG size = 0;
    HugeCache::EncodedTile data = s.encodedCache->FindTile(s.focus, s.zoomLevel, channel, row, column, size);
    if (size != HugeCache::kTileNotFound) return TileLoader::Deliver(request, column, row, channel, data, size, true);
  }
  m_loader.AddRequest(m_readLimit, request, column, row, channel);
}

// Sleeps until woken, or briefly while tiles wait for another request's decoding.
void DirectorySourceAgent::WaitForWork(bool pendingTiles) {
  if (pendingTiles) {
    m_wake.wait(kPendingPollMs);
  } else {
    m_wake.wait();
  }
  m_wake.reset();
}

void DirectorySourceAgent::EndAll(HRESULT hr) {
  m_loader.Drain();
  std::lock_guard stack(m_stackLock);
  m_closed = true;
  std::shared_ptr<ViewpartState> posted;
  while (Concurrency::try_receive(m_requests, posted)) m_stack.push_back(std::move(posted));
  for (auto& request : m_stack) request->Finish(hr);
  m_stack.clear();
}

}  // namespace Pipeline
