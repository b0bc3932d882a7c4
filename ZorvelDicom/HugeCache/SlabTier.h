// Internal to the decoded-tile cache: the partition record and the process-wide state of the slab
// tier. Everything here is guarded by SlabTier::decoded unless a field says otherwise.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <windef.h>

#include "HugeCache/Slab.h"
#include "HugeCache/TileKey.h"

namespace HugeCache {

class DecodedTileCache;
class ReallocationAgent;
class ScatteredDecodedCache;

// One tile size: its slots in one slab, the ring that hands them out, and the pins on them.
struct SlabPartition {
  struct SlotEntry {
    ULONG slot = 0;
    bool complete = false;  // clear while the tile is being written
  };
  // A tile whose writer still held its slot when the partition moved: the finished bytes are
  // copied from source into the tile's current slot, held pinned meanwhile.
  struct DeferredCopy {
    const unsigned char* source = nullptr;  // where the writer writes (a retired slab)
    unsigned char* hold = nullptr;          // the pinned slot in the current slab; null: none left
  };

  ULONGLONG tileBytes = 0;
  std::vector<SlabPtr> retired;  // old slabs kept while addresses in them are pinned
  ULONGLONG capacity = 0;        // slots
  SlabPtr slab;
  ULONGLONG currentBytes = 0;
  ULONGLONG targetBytes = 0;     // the reallocation agent moves the slab when this differs
  bool wrapped = false;          // the ring has been filled once
  long long lastSlot = -1;       // slot handed out last
  std::map<LONGLONG, LONGLONG> clients;  // client number -> objects using this partition
  std::map<TileKey, SlotEntry> slots;    // tiles of the clients and their slots
  std::map<ULONG, TileKey> owners;       // slot -> tile in it
  std::map<const unsigned char*, ULONG> pins;  // pinned addresses (current or retired slabs)
  std::map<TileKey, DeferredCopy> deferred;
  bool reallocating = false;     // no slot is handed out while set

  unsigned char* Address(ULONGLONG slot) const { return slab->Data() + slot * tileBytes; }
  ULONGLONG UsableCapacity() const;
  bool IsPinned(const unsigned char* address) const { return pins.count(address) != 0; }
  void Pin(const unsigned char* address) { ++pins[address]; }
  // True when the address has no pin left.
  bool Unpin(const unsigned char* address);
  bool HasPinsIn(const Slab& slab) const;
  bool Holds(const unsigned char* address) const;
  // The tile leaves the partition: its slot, owner and deferred copy (with its hold) go.
  void EraseTile(const TileKey& key);
  // The tile leaves its slot; a deferred copy stays.
  void DetachTile(const TileKey& key);
  // The writer finished: a deferred tile is copied into its held slot, or into the overflow tier
  // when it lost its slot meanwhile.
  void FinishDeferredCopy(const TileKey& key, ScatteredDecodedCache& overflow);
  void DropRetiredWithoutPins();
  // A tile whose writer gave up (no pin left, never completed) is emptied.
  void ForgetAbandonedWrite(const unsigned char* address);
};

struct SlabTier {
  struct RegistryEntry {
    LONGLONG number = 0;
    LONGLONG users = 0;
  };

  std::mutex reallocation;  // taken before decoded
  std::mutex decoded;
  std::vector<std::shared_ptr<SlabPartition>> partitions;
  std::vector<std::shared_ptr<SlabPartition>> orphans;  // removed while addresses were pinned
  // The partition whose slabs hold address: first, else a live one, else an orphan. Decoded mutex held.
  SlabPartition* PartitionHolding(SlabPartition* first, const unsigned char* address) const;
  std::map<std::u16string, RegistryEntry> registry;
  LONGLONG clientCount = 0;
  LONGLONG numberCounter = -1;
  std::vector<DecodedTileCache*> registered;
  std::atomic<ULONGLONG> slabBytes{0};  // read without lock by the memory monitor
  ReallocationAgent* agent = nullptr;   // owned
  size_t nextPartition = 0;             // where the next reallocation pass starts; reallocation mutex

  static SlabTier& Shared();
  void RebalanceLocked(ULONGLONG perClient);
};

// The client through which tiles of any client are handed to the overflow tier.
ScatteredDecodedCache& OverflowMover();

// Moves the partition into a new slab of target bytes. Reallocation mutex held, decoded not.
void ResizePartition(SlabTier& tier, SlabPartition& partition, SlabPtr fresh, ULONGLONG target);

}  // namespace HugeCache
