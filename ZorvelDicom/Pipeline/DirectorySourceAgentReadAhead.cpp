// Read-ahead of the directory-source agent when no view request waits: first the library reads
// the viewed focus's levels ahead (chunks into the page cache), then tiles around the last view go
// into the encoded cache, one tile per pass, so that a newer view overtakes them at once.
#include <memory>
#include <utility>

#include <DirectorySource.h>
#include <WSIZoomImage.h>
#include <winuser.h>

#include "HugeCache/DecodedTileCache.h"
#include "HugeCache/EncodedTileCache.h"
#include "Pipeline/DirectorySourceAgent.h"
#include "Pipeline/ViewpartState.h"
#include "ProcessSettings.h"

namespace Pipeline {
namespace {

constexpr int32_t kExtendedFocus = -1;

bool SameRectangle(const TileRectangle& a, const TileRectangle& b) {
  return a.focus == b.focus && a.zoom == b.zoom && a.firstColumn == b.firstColumn && a.lastColumn == b.lastColumn &&
         a.firstRow == b.firstRow && a.lastRow == b.lastRow;
}

int64_t CeilDiv(int64_t value, int64_t divisor) { return divisor <= 0 ? 0 : (value + divisor - 1) / divisor; }

LevelGrid GridOf(const CWSIZoomImage& image) {
  LevelGrid grid;
  grid.tileWidth = image.GetColumns();
  grid.tileHeight = image.GetRows();
  grid.columns = CeilDiv(image.GetTotalPixelMatrixColumns(), grid.tileWidth);
  grid.rows = CeilDiv(image.GetTotalPixelMatrixRows(), grid.tileHeight);
  return grid;
}

}  // namespace

void DirectorySourceAgent::RecordView(const ViewpartState& view) {
  CDirectorySource* slide = view.source.directorySource;
  if (view.kind != ViewpartState::ViewRequest || m_sources.count(slide) == 0 || view.source.zoomImage == nullptr) {
    return;
  }
  const ViewpartState::Source& s = view.source;
  const TileRectangle rectangle{s.focus, s.zoomLevel, s.firstColumn, s.lastColumn, s.firstRow, s.lastRow};
  m_recentSlide = slide;
  // The same view asked again (a host repainting) is not a new view: its read-ahead goes on.
  if (const auto it = m_records.find(slide); it != m_records.end()) {
    const SlideRecord& known = it->second;
    if (SameRectangle(known.view, rectangle) && known.firstChannel == s.firstChannel &&
        known.lastChannel == s.lastChannel && known.zoomImage == s.zoomImage && known.encodedCache == s.encodedCache &&
        known.decodedCache == s.decodedCache) {
      return;
    }
  }
  for (auto& queued : m_stack) {
    if (queued->kind == ViewpartState::TilePreload && queued->source.directorySource == slide) {
      queued->kind = ViewpartState::Cancelled;
    }
  }
  SlideRecord& record = m_records[slide];
  record.view = rectangle;
  record.firstChannel = s.firstChannel;
  record.lastChannel = s.lastChannel;
  record.zoomImage = s.zoomImage;
  record.keepAlive = s.keepAlive;
  record.encodedCache = s.encodedCache;
  record.decodedCache = s.decodedCache;
  record.grid = GridOf(*s.zoomImage);
  record.planes = static_cast<int32_t>(s.zoomImage->GetZStackCount());
  record.tiledFull = view.tiledFull;
  record.phase = 0;
  record.chunkLevel = s.zoomLevel;
  record.planner.Restart();
  record.finerImage.reset();
}

bool DirectorySourceAgent::ReadAheadDone() {
  std::lock_guard state(m_stateLock);
  const auto it = m_records.find(m_recentSlide);
  return it == m_records.end() || it->second.phase == 2;
}

bool DirectorySourceAgent::ReadAheadStep() {
  std::lock_guard state(m_stateLock);
  if (m_stopping || m_opensInProgress.load() > 0) return false;
  const auto it = m_records.find(m_recentSlide);
  if (it == m_records.end()) return false;
  SlideRecord& record = it->second;
  ProcessSettings& settings = ProcessSettings::Instance();
  if (record.phase == 0) {
    if (settings.ChunkReadAhead() && ChunkReadAheadStep(record)) return true;
    record.phase = 1;
  }
  if (record.phase == 1) {
    if (settings.TileReadAhead() && PlanTileReadAhead(it->first, record)) return true;
    record.phase = 2;
  }
  return false;
}

// One chunk of the viewed focus's levels, from the viewed level down to 0.
bool DirectorySourceAgent::ChunkReadAheadStep(SlideRecord& record) {
  if (record.chunkLevel < 0) return false;
  if (static_cast<CDirectorySource*>(m_recentSlide)->PreLoadNextChunk(record.view.focus, record.chunkLevel)) {
    --record.chunkLevel;
  }
  return true;
}

// The next finer level of the viewed kind (normal or extended focus), opened for read-ahead; none
// when the slide lacks it or it does not hold the viewed plane.
std::optional<LevelGrid> DirectorySourceAgent::OpenFinerLevel(CDirectorySource* slide, SlideRecord& record) {
  const bool extended = record.view.focus == kExtendedFocus;
  auto image = std::make_shared<CWSIZoomImage>();
  if (image->OpenZoomLevel(slide, extended, record.view.zoom - 1, true) != 0) return std::nullopt;
  if (!extended && record.view.focus >= static_cast<int32_t>(image->GetZStackCount())) return std::nullopt;
  record.finerImage = std::move(image);
  return GridOf(*record.finerImage);
}

// Pushes a tile read-ahead request for the next rectangle around the view.
bool DirectorySourceAgent::PlanTileReadAhead(CDirectorySource* slide, SlideRecord& record) {
  if (record.encodedCache == nullptr || record.grid.tileWidth <= 0 || record.grid.tileHeight <= 0) return false;
  const int64_t screenColumns = GetSystemMetrics(SM_CXVIRTUALSCREEN) / record.grid.tileWidth;
  const int64_t screenRows = GetSystemMetrics(SM_CYVIRTUALSCREEN) / record.grid.tileHeight;
  const auto next = record.planner.Next(record.view, record.grid, screenColumns, screenRows, record.planes,
                                        [&] { return OpenFinerLevel(slide, record); });
  if (!next) return false;
  ViewpartState::Source source;
  bool tiledFull = record.tiledFull;
  source.zoomImage = record.zoomImage;
  source.keepAlive = record.keepAlive;
  if (next->zoom != record.view.zoom) {
    source.zoomImage = record.finerImage.get();
    source.keepAlive = std::make_shared<std::pair<std::shared_ptr<const void>, std::shared_ptr<const CWSIZoomImage>>>(
        record.keepAlive, record.finerImage);
    tiledFull = record.finerImage->IsTiledFull();
  }
  source.directorySource = slide;
  source.focus = next->focus;
  source.zoomLevel = next->zoom;
  source.firstChannel = record.firstChannel;
  source.lastChannel = record.lastChannel;
  source.firstColumn = next->firstColumn;
  source.lastColumn = next->lastColumn;
  source.firstRow = next->firstRow;
  source.lastRow = next->lastRow;
  source.encodedCache = record.encodedCache;
  source.decodedCache = record.decodedCache;
  std::lock_guard stack(m_stackLock);
  m_stack.insert(m_stack.begin(), ViewpartState::MakeTilePreload(std::move(source), tiledFull));
  return true;
}

// One tile of a read-ahead rectangle into the encoded cache, unless a cache holds it already. A
// tile the slide does not have is kept as an empty entry, so that a view need not ask again.
void DirectorySourceAgent::ServePreload(const std::shared_ptr<ViewpartState>& request) {
  const int32_t channel = request->currentChannel;
  int32_t column = 0, row = 0;
  request->NextTile(column, row);
  const ViewpartState::Source& s = request->source;
  if (s.decodedCache != nullptr && s.decodedCache->Find(s.focus, s.zoomLevel, channel, row, column, false) != nullptr) {
    return;
  }
  ULONG size = 0;
  s.encodedCache->FindTile(s.focus, s.zoomLevel, channel, row, column, size);
  if (size != HugeCache::kTileNotFound) return;
  CDicomInteropBase::DeleteDelegatorPtr<unsigned char> data;
  uint64_t bytes = 0;
  if (FAILED(TileLoader::GetEncodedSourceTile(*s.zoomImage, s.focus, column, row, channel, data, bytes))) return;
  s.encodedCache->AddTile(s.focus, s.zoomLevel, channel, row, column, data, data == nullptr ? 0 : static_cast<ULONG>(bytes));
}

}  // namespace Pipeline
