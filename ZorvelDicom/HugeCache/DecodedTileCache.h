// The decoded-tile cache: decoded tiles ready for composition, in two tiers. The slab tier keeps
// tiles of one byte size in fixed slots of one reserved block (a partition); a ring hands slots
// out, and a tile whose slot is reused moves to the overflow tier (ScatteredDecodedCache).
//
// Key: TileKey with this object's client number (one per slide path). Budget: the decoded budget,
// shared out per client by Rebalance between the slabs (each partition at most 1,000,000,000
// bytes) and the overflow tier. Mutexes, in nesting order: reallocation (held by the reallocation
// agent while it moves one partition, and by destruction), decoded (all slab-tier state), overflow
// (the overflow tier's); the encoded mutex is never taken with any of them.
// A pin guarantees: the slot is not handed out again, not overwritten and not dropped while
// pinned, and its address stays valid through a resize (the old slab is kept until its pins go).
// Every address handed out (Reserve status 0 and 3, Find with pin) carries exactly one pin, given
// back by one Release. A DecodedTileCache must outlive the addresses it handed out.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <windef.h>
#include <winerror.h>

#include "HugeCache/ScatteredDecodedCache.h"

namespace HugeCache {

struct SlabPartition;

class DecodedTileCache {
 public:
  // Results of Reserve.
  enum ReserveStatus : int {
    kReserveFinished = 0,  // the tile is in the cache: address given, pinned
    kReservePending = 1,   // another decoder is writing the tile: no address, nothing pinned
    kReserveNoSlot = 2,    // no slot free now: decode into memory of your own
    kReserveNew = 3,       // a slot for the tile: decode into it, MarkComplete, then Release
  };

  DecodedTileCache() = default;
  ~DecodedTileCache();
  DecodedTileCache(const DecodedTileCache&) = delete;
  DecodedTileCache& operator=(const DecodedTileCache&) = delete;

  // Registers the path with tiles of tileBytes bytes within budget bytes (the first client sets
  // up the slab tier and starts the reallocation agent). A cache set up before leaves its old
  // path first. S_OK, or E_FAIL (logged) when the slab cannot be reserved.
  HRESULT Init(const std::u16string& path, ULONGLONG tileBytes, ULONGLONG budget);
  int Reserve(long focus, long zoom, long channel, long row, long column, unsigned char*& address);
  // The decoder has written the tile of a kReserveNew slot: it is found from now on.
  void MarkComplete(long focus, long zoom, long channel, long row, long column);
  // The finished tile from the slab tier, else from the overflow tier; pinned when pin is set.
  unsigned char* Find(long focus, long zoom, long channel, long row, long column, bool pin);
  // True while a decoder is writing the tile into a slot.
  bool IsPending(long focus, long zoom, long channel, long row, long column);
  // Gives one pin back. A slot whose writer releases it without MarkComplete is emptied.
  void Release(const unsigned char* address);
  // Sets every partition's target bytes and the overflow budget for perClient bytes per client.
  static void Rebalance(ULONGLONG perClient);

  bool IsInitialised() const { return m_initialised.load(std::memory_order_acquire); }
  LONGLONG ClientNumber() const { return m_clientNumber; }

  // State of the slab tier, for diagnostics and tests.
  struct PartitionInfo {
    ULONGLONG tileBytes, capacity, currentBytes, targetBytes, users, pinnedAddresses, retiredSlabs, tiles;
  };
  static std::vector<PartitionInfo> Partitions();
  static ULONGLONG SlabBytes();  // sum of the partitions' current bytes, read without lock
  static LONGLONG ClientCount();
  // One pass of the reallocation agent on the calling thread: moves the next partition whose
  // target differs from its current bytes. True when one was moved.
  static bool ReallocateNextPartition();
  static void WakeReallocationAgent();

 private:
  TileKey KeyOf(long focus, long zoom, long channel, long row, long column) const;
  void Leave();

  ScatteredDecodedCache m_overflow;         // overflow-tier client, filed under m_clientNumber
  std::u16string m_path;
  LONGLONG m_clientNumber = -1;
  std::shared_ptr<SlabPartition> m_partition;  // the partition of this object's tile size; under the decoded mutex
  std::atomic<bool> m_initialised{false};
};

}  // namespace HugeCache
