// A request to the directory-source agent: a rectangle of source tiles of one zoom level and focus
// over a channel range, where to send what is loaded and how completion is reported. Shared by the
// maker, the agent and every tile in flight; cursor fields belong to the agent's thread, the
// counters, the first error and the pending list may be touched from any thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include <agents.h>
#include <winerror.h>

#include "Pipeline/SourceTileData.h"
#include "Pipeline/TileRef.h"

class CDirectorySource;
class CWSIZoomImage;
namespace HugeCache {
class EncodedTileCache;
class DecodedTileCache;
}  // namespace HugeCache

namespace Pipeline {

// The blocks of one region request that the agent sends to; decode blocks are chosen in turn.
struct RequestTargets {
  std::vector<Concurrency::ITarget<SourceTileData>*> decoders;
  std::vector<Concurrency::ITarget<TileRef>*> secondStage;
  Concurrency::ITarget<TileRef>* tileTarget = nullptr;  // tiles the slide does not have
  std::atomic<uint32_t> nextDecoder{0};
  std::atomic<uint32_t> nextSecondStage{0};
  uint32_t NextDecoder();
  uint32_t NextSecondStage();
};

// A tile waiting until another request has finished decoding it.
struct PendingTile {
  int32_t channel = 0, column = 0, row = 0;
};

struct ViewpartState {
  enum Kind : int32_t { ChunkPreload = 0, TilePreload = 1, ViewRequest = 2, Cancelled = 3 };

  // What every kind reads from: the level, the slide and the rectangle.
  struct Source {
    const CWSIZoomImage* zoomImage = nullptr;     // not owned; kept alive by keepAlive
    std::shared_ptr<const void> keepAlive;         // owner of the zoom image while the request lives
    CDirectorySource* directorySource = nullptr;  // identifies the slide
    int32_t focus = 0;                            // library plane, or -1 for the extended-focus image
    int32_t zoomLevel = 0;
    int32_t firstChannel = 0, lastChannel = -1;
    int64_t firstColumn = 0, lastColumn = -1, firstRow = 0, lastRow = -1;
    // The cache clients of the slide the maker started on (null: none); keepAlive holds them.
    HugeCache::EncodedTileCache* encodedCache = nullptr;
    HugeCache::DecodedTileCache* decodedCache = nullptr;
  };

  // A view request: every tile of the rectangle and channel range goes to the targets.
  static std::shared_ptr<ViewpartState> MakeView(Source source, RequestTargets* targets, bool tiledFull,
                                                 bool cacheEncoded);
  // A tile read-ahead request: tiles are read into the encoded cache only.
  static std::shared_ptr<ViewpartState> MakeTilePreload(Source source, bool tiledFull);

  // The next tile position; the channel to use is currentChannel read before the call.
  void NextTile(int32_t& column, int32_t& row);
  // No further tile to hand out.
  bool IsDone() const;

  // One tile accounted for by the consumer; the last one finishes the request.
  void TileDone();
  // Keeps the first failure of a tile read; later ones do not overwrite it.
  void RecordError(HRESULT hr);
  HRESULT Error() const { return m_error.load(); }
  // Sets the completion event once (done, failed or cancelled); hr < 0 is recorded first.
  void Finish(HRESULT hr = S_OK);
  bool IsFinished() const { return m_finished.load(); }
  void WaitFinished() { m_completion.wait(); }
  // True when finished within timeoutMs.
  bool WaitFinished(unsigned int timeoutMs) { return m_completion.wait(timeoutMs) == 0; }

  // Asynchronous reads in flight; the maker waits for none to be left before its blocks go.
  void BeginRead();
  void EndRead();
  void WaitForReads();

  void AddPending(const PendingTile& tile);
  std::vector<PendingTile> TakePending();
  bool HasPending();

  std::atomic<Kind> kind{ViewRequest};  // read-ahead kinds become Cancelled under the agent's locks
  Source source;
  RequestTargets* targets = nullptr;  // view requests; owned by the maker, outlives the request's use
  // The scheduler of the maker's call (null: none): the agent attaches its thread to it while it
  // serves the request. Not referenced: the maker keeps it alive until the request has finished,
  // and a request is served only before that.
  Concurrency::Scheduler* scheduler = nullptr;
  bool cacheEncoded = false;
  bool tiledFull = true;
  bool morton = false;  // the slide numbers its tiles by incremental Morton codes
  int32_t currentChannel = 0;
  int64_t currentColumn = 0, currentRow = 0;
  std::atomic<int64_t> tileCount{0};  // tiles not yet accounted for by the consumer

 private:
  explicit ViewpartState(Kind made) : kind(made) {}
  void StartCursor();
  bool ChannelsSlowest() const { return tiledFull && !morton; }
  bool Empty() const;

  std::atomic<HRESULT> m_error{S_OK};
  std::atomic<bool> m_finished{false};
  Concurrency::event m_completion;
  std::mutex m_lock;  // pending list and read count
  std::condition_variable m_readsEnded;
  int64_t m_outstandingReads = 0;
  std::vector<PendingTile> m_pending;
};

}  // namespace Pipeline
