// Requests of the tile pipeline: construction, the order in which a request hands out its tiles,
// and its completion. Morton-numbered slides are visited row by row with all channels of a position
// together; TILED_FULL slides give one channel's rectangle after the other.
#include "Pipeline/ViewpartState.h"

#include <DirectorySource.h>

#include "ModuleLog.h"

namespace Pipeline {
namespace {
constexpr const char16_t* kSource = u"ViewpartState";
constexpr const char16_t* kConstructor = u"Pipeline::ViewpartState::ViewpartState";
constexpr int kMortonQueryLine = 64;

bool AsksMorton(CDirectorySource* source) {
  bool incremental = false;
  if (source == nullptr) return false;
  const long result = source->IsIncrementalMortonCode(&incremental);
  if (result != 0) {
    SeGetErrorLogFile()->LogError(kSource, kMortonQueryLine, static_cast<HRESULT>(result), kConstructor);
    return false;
  }
  return incremental;
}
}  // namespace

uint32_t RequestTargets::NextDecoder() {
  return nextDecoder.fetch_add(1) % static_cast<uint32_t>(decoders.size());
}

uint32_t RequestTargets::NextSecondStage() {
  return nextSecondStage.fetch_add(1) % static_cast<uint32_t>(secondStage.size());
}

std::shared_ptr<ViewpartState> ViewpartState::MakeView(Source source, RequestTargets* targets, bool tiledFull,
                                                       bool cacheEncoded) {
  std::shared_ptr<ViewpartState> request(new ViewpartState(ViewRequest));
  request->source = std::move(source);
  request->targets = targets;
  request->tiledFull = tiledFull;
  request->cacheEncoded = cacheEncoded;
  request->morton = AsksMorton(request->source.directorySource);
  request->StartCursor();
  const Source& s = request->source;
  request->tileCount = request->Empty() ? 0
                                        : (int64_t{s.lastChannel} - s.firstChannel + 1) *
                                              (s.lastRow - s.firstRow + 1) * (s.lastColumn - s.firstColumn + 1);
  return request;
}

std::shared_ptr<ViewpartState> ViewpartState::MakeTilePreload(Source source, bool tiledFull) {
  std::shared_ptr<ViewpartState> request(new ViewpartState(TilePreload));
  request->source = std::move(source);
  request->tiledFull = tiledFull;
  request->morton = AsksMorton(request->source.directorySource);
  request->StartCursor();
  return request;
}

void ViewpartState::StartCursor() {
  currentChannel = source.firstChannel;
  currentColumn = source.firstColumn;
  currentRow = source.firstRow;
}

bool ViewpartState::Empty() const {
  return source.lastChannel < source.firstChannel || source.lastColumn < source.firstColumn ||
         source.lastRow < source.firstRow;
}

void ViewpartState::NextTile(int32_t& column, int32_t& row) {
  column = static_cast<int32_t>(currentColumn);
  row = static_cast<int32_t>(currentRow);
  if (ChannelsSlowest()) {
    if (++currentColumn <= source.lastColumn) return;
    currentColumn = source.firstColumn;
    if (++currentRow <= source.lastRow) return;
    currentRow = source.firstRow;
    ++currentChannel;
    return;
  }
  if (++currentChannel <= source.lastChannel) return;
  currentChannel = source.firstChannel;
  if (++currentColumn <= source.lastColumn) return;
  currentColumn = source.firstColumn;
  ++currentRow;
}

bool ViewpartState::IsDone() const {
  if (kind == ChunkPreload) return true;
  if (Empty()) return true;
  return ChannelsSlowest() ? currentChannel > source.lastChannel : currentRow > source.lastRow;
}

void ViewpartState::TileDone() {
  if (tileCount.fetch_sub(1) == 1) Finish();
}

void ViewpartState::RecordError(HRESULT hr) {
  HRESULT expected = S_OK;
  m_error.compare_exchange_strong(expected, hr);
}

void ViewpartState::Finish(HRESULT hr) {
  if (FAILED(hr)) RecordError(hr);
  if (!m_finished.exchange(true)) m_completion.set();
}

void ViewpartState::BeginRead() {
  std::lock_guard lock(m_lock);
  ++m_outstandingReads;
}

void ViewpartState::EndRead() {
  std::lock_guard lock(m_lock);
  if (--m_outstandingReads == 0) m_readsEnded.notify_all();
}

void ViewpartState::WaitForReads() {
  std::unique_lock lock(m_lock);
  m_readsEnded.wait(lock, [this] { return m_outstandingReads == 0; });
}

void ViewpartState::AddPending(const PendingTile& tile) {
  std::lock_guard lock(m_lock);
  m_pending.push_back(tile);
}

bool ViewpartState::HasPending() {
  std::lock_guard lock(m_lock);
  return !m_pending.empty();
}

std::vector<PendingTile> ViewpartState::TakePending() {
  std::lock_guard lock(m_lock);
  return std::move(m_pending);
}

}  // namespace Pipeline
