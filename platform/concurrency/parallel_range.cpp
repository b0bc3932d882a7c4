// The engine of parallel_for and parallel_for_each: oneTBB's parallel_for with automatic
// partitioning over iteration numbers, run inside the current scheduler's arena, isolated.
// Chunks on other threads see the same current scheduler, so nested loops keep the limit.
#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>

#include "concurrency/detail/sanitizer_handoff.h"
#include "concurrency/detail/scheduler_engine.h"
#include "zplatform/concrt/parallel_core.h"

namespace Concurrency::detail {

void parallel_range(std::uint64_t count, range_body body, void* context) {
  if (count == 0) return;
  scheduler_engine& engine = current_engine();
  engine.execute([&] {
    handoff_publish();
    oneapi::tbb::parallel_for(
        oneapi::tbb::blocked_range<std::uint64_t>(0, count),
        [&](const oneapi::tbb::blocked_range<std::uint64_t>& chunk) {
          handoff_receive();
          scheduler_scope scope(engine);
          body(context, chunk.begin(), chunk.end());
          handoff_publish();
        },
        oneapi::tbb::auto_partitioner());
    handoff_receive();
  });
}

}  // namespace Concurrency::detail
