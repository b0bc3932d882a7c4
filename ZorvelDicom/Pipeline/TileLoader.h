// Reading the encoded tiles of a request from the slide library and handing them on: to a decode
// stage, or as a tile without data to the request's tile target when the slide does not have it.
// Reads run on the agent's thread, or as tasks while fewer than limit - 1 are in flight; a task
// counts from its launch, so a busy scheduler cannot pile up reads that a newer view must wait
// behind. Tasks run on the scheduler current on the agent's thread (the request's, when it has one).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include <concrt.h>

#include <ppl.h>
#include <winerror.h>

#include "Pipeline/SourceTileData.h"

class CWSIZoomImage;

namespace Pipeline {

struct ViewpartState;

class TileLoader {
 public:
  TileLoader() = default;
  ~TileLoader();
  TileLoader(const TileLoader&) = delete;
  TileLoader& operator=(const TileLoader&) = delete;

  // focus -1 reads the extended-focus image. A tile the slide does not have gives S_OK and no data.
  static HRESULT GetEncodedSourceTile(const CWSIZoomImage& image, int32_t focus, int32_t column, int32_t row,
                                      int32_t channel, CDicomInteropBase::DeleteDelegatorPtr<unsigned char>& data,
                                      uint64_t& size);

  // Reads one tile of a view request, asynchronously while the in-flight count is below limit - 1
  // (unsigned: a limit of 0 never runs out), else on the calling thread.
  void AddRequest(uint64_t limit, const std::shared_ptr<ViewpartState>& request, int32_t column, int32_t row,
                  int32_t channel);
  // Waits for the asynchronous reads started so far and lets go of their scheduler.
  void Drain();

  static void ReadTile(const std::shared_ptr<ViewpartState>& request, int32_t column, int32_t row, int32_t channel);
  // Hands loaded bytes (or none) of a view request's tile on to the request's blocks; readBefore
  // when they came from the encoded cache.
  static void Deliver(const std::shared_ptr<ViewpartState>& request, int32_t column, int32_t row, int32_t channel,
                      CDicomInteropBase::DeleteDelegatorPtr<unsigned char> data, uint64_t size,
                      bool readBefore = false);

 private:
  // A task group runs on the scheduler current at its first task: one group per scheduler.
  Concurrency::task_group& ReadsOnCurrentScheduler();

  std::atomic<uint32_t> m_inFlight{0};
  std::unique_ptr<Concurrency::task_group> m_reads;
  Concurrency::Scheduler* m_readsOn = nullptr;  // the scheduler of m_reads (referenced by it)
};

}  // namespace Pipeline
