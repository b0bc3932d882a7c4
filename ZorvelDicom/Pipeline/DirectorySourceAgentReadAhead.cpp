// Read-ahead of the directory-source agent when no view request waits: first the library reads
// the viewed focus's levels ahead (chunks into the page cache), then tiles around the last view go
// into the encoded cache, one tile per pass, so that a newer view overtakes them at once.
#include <DirectorySource.h>
#include <WSIZoomImage.h>
#include <winuser.h>

#include "HugeCache/DecodedTileCache.h"
#include "HugeCache/EncodedTileCache.h"
#include "Pipeline/DirectorySourceAgent.h"
#include "Pipeline/ViewpartState.h"
#include "ProcessSettings.h"

namespace Pipeline {

void DirectorySourceAgent::RecordView(const ViewpartState& view) {
  CDirectorySource* slide = view.source.directorySource;
  if (view.kind != ViewpartState::ViewRequest || m_sources.count(slide) == 0 || view.source.zoomImage == nullptr) {
    return;
  }
  for (auto& queued : m_stack) {
    if (queued->kind == ViewpartState::TilePreload && queued->source.directorySource == slide) {
      queued->kind = ViewpartState::Cancelled;
    }
  }
  const ViewpartState::Source& s = view.source;
  SlideRecord& record = m_records[slide];
  record.view = {s.focus, s.zoomLevel, s.firstColumn, s.lastColumn, s.firstRow, s.lastRow};
  record.firstChannel = s.firstChannel;
  record.lastChannel = s.lastChannel;
  record.zoomImage = s.zoomImage;
  record.keepAlive = s.keepAlive;
  record.encodedCache = s.encodedCache;
  record.decodedCache = s.decodedCache;
  record.tileWidth = s.zoomImage->GetColumns();
  record.tileHeight = s.zoomImage->GetRows();
  record.levelColumns = record.tileWidth == 0 ? 0 : s.zoomImage->GetTotalPixelMatrixColumns() / record.tileWidth;
  record.levelRows = record.tileHeight == 0 ? 0 : s.zoomImage->GetTotalPixelMatrixRows() / record.tileHeight;
  record.planes = static_cast<int32_t>(s.zoomImage->GetZStackCount());
  record.tiledFull = view.tiledFull;
  record.phase = 0;
  record.chunkLevel = s.zoomLevel;
  record.planner.Restart();
  m_recentSlide = slide;
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

// Pushes a tile read-ahead request for the next rectangle around the view.
bool DirectorySourceAgent::PlanTileReadAhead(CDirectorySource* slide, SlideRecord& record) {
  if (record.encodedCache == nullptr || record.tileWidth == 0 || record.tileHeight == 0) return false;
  const int64_t screenColumns = GetSystemMetrics(SM_CXVIRTUALSCREEN) / record.tileWidth;
  const int64_t screenRows = GetSystemMetrics(SM_CYVIRTUALSCREEN) / record.tileHeight;
  const auto next =
      record.planner.Next(record.view, record.levelColumns, record.levelRows, screenColumns, screenRows, record.planes);
  if (!next) return false;
  ViewpartState::Source source;
  source.zoomImage = record.zoomImage;
  source.keepAlive = record.keepAlive;
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
  m_stack.insert(m_stack.begin(), ViewpartState::MakeTilePreload(std::move(source), record.tiledFull));
  return true;
}

// One tile of a read-ahead rectangle into the encoded cache, unless a cache holds it already.
void DirectorySourceAgent::ServePreload(const std::shared_ptr<ViewpartState>& request) {
  const int32_t channel = request->currentChannel;
  int32_t column = 0, row = 0;
  request->NextTile(column, row);
  const ViewpartState::Source& s = request->source;
  if (s.decodedCache != nullptr && s.decodedCache->Find(s.focus, s.zoomLevel, channel, row, column, false) != nullptr) {
    return;
  }
  ULONG size = 0;
  if (s.encodedCache->FindTile(s.focus, s.zoomLevel, channel, row, column, size) != nullptr) return;
  CDicomInteropBase::DeleteDelegatorPtr<unsigned char> data;
  uint64_t bytes = 0;
  if (SUCCEEDED(TileLoader::GetEncodedSourceTile(*s.zoomImage, s.focus, column, row, channel, data, bytes)) &&
      data != nullptr && bytes != 0) {
    s.encodedCache->AddTile(s.focus, s.zoomLevel, channel, row, column, data, static_cast<ULONG>(bytes));
  }
}

}  // namespace Pipeline
