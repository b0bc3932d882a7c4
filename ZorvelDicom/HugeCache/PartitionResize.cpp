// Moving a partition into a slab of another size: tiles past the new capacity go to the overflow
// tier, the others are copied slot by slot (the decoded mutex is taken per slot, so readers and
// the ring of other partitions go on meanwhile), and a slab with pinned addresses is kept retired.
// Writers that still hold a slot when the move ends get their tile copied over when they finish.
#include <cstring>
#include <new>
#include <vector>

#include "HugeCache/DecodedTileCache.h"
#include "HugeCache/SlabTier.h"

namespace HugeCache {

namespace {

// Tiles in slots at or past the new capacity leave the partition; finished ones go to the
// overflow tier. Decoded mutex held.
void DropSlotsFrom(SlabPartition& partition, ULONGLONG newCapacity) {
  std::vector<TileKey> dropped, writing;
  for (auto it = partition.owners.lower_bound(static_cast<ULONG>(newCapacity)); it != partition.owners.end(); ++it) {
    const unsigned char* address = partition.Address(it->first);
    if (partition.slots[it->second].complete) {
      OverflowMover().AddTile(it->second, address, partition.tileBytes);
      dropped.push_back(it->second);
    } else if (partition.IsPinned(address) || partition.deferred.count(it->second) != 0) {
      writing.push_back(it->second);
    } else {
      dropped.push_back(it->second);
    }
  }
  for (const TileKey& key : dropped) partition.EraseTile(key);
  // A tile still being written goes to the overflow tier when its writer finishes.
  for (const TileKey& key : writing) {
    auto [copy, first] = partition.deferred.try_emplace(key);
    if (first) {
      copy->second.source = partition.Address(partition.slots[key].slot);
    } else {
      partition.Unpin(copy->second.hold);
    }
    copy->second.hold = nullptr;
    partition.DetachTile(key);
  }
}

// Decoded mutex held; the partition is still on its old slab.
std::vector<ULONG> PrepareMove(SlabPartition& partition, ULONGLONG newCapacity) {
  partition.reallocating = true;
  if (newCapacity >= partition.capacity) {
    if (partition.wrapped) {
      partition.lastSlot = static_cast<long long>(partition.capacity) - 1;
      partition.wrapped = false;
    }
  } else {
    if (partition.lastSlot + 1 >= static_cast<long long>(newCapacity)) partition.wrapped = true;
    DropSlotsFrom(partition, newCapacity);
  }
  std::vector<ULONG> inUse;
  for (const auto& [slot, key] : partition.owners) inUse.push_back(slot);
  return inUse;
}

// Decoded mutex held. A tile that was pinned while copied: finished now, copied again; still being
// written, copied when its writer finishes, its new slot held meanwhile.
void SettlePinnedSlot(SlabPartition& partition, ULONG slot, const Slab& old, const Slab& fresh) {
  auto owner = partition.owners.find(slot);
  if (owner == partition.owners.end()) return;
  const size_t offset = slot * partition.tileBytes;
  if (partition.slots[owner->second].complete) {
    std::memcpy(fresh.Data() + offset, old.Data() + offset, partition.tileBytes);
    return;
  }
  unsigned char* hold = fresh.Data() + offset;
  auto [copy, first] = partition.deferred.try_emplace(owner->second);
  if (first) {
    copy->second.source = old.Data() + offset;
  } else {
    partition.Unpin(copy->second.hold);
  }
  copy->second.hold = hold;
  partition.Pin(hold);
}

}  // namespace

void ResizePartition(SlabTier& tier, SlabPartition& partition, SlabPtr fresh, ULONGLONG target) {
  const ULONGLONG newCapacity = target / partition.tileBytes;
  std::vector<ULONG> inUse;
  SlabPtr old;
  {
    std::lock_guard lock(tier.decoded);
    old = partition.slab;
    inUse = PrepareMove(partition, newCapacity);
  }
  std::vector<ULONG> pinned;
  for (ULONG slot : inUse) {
    std::lock_guard lock(tier.decoded);
    if (partition.owners.count(slot) == 0) continue;
    const size_t offset = slot * partition.tileBytes;
    std::memcpy(fresh->Data() + offset, old->Data() + offset, partition.tileBytes);
    if (partition.IsPinned(old->Data() + offset)) pinned.push_back(slot);
  }
  std::lock_guard lock(tier.decoded);
  for (ULONG slot : pinned) SettlePinnedSlot(partition, slot, *old, *fresh);
  partition.slab = fresh;
  if (partition.HasPinsIn(*old)) partition.retired.push_back(old);
  partition.capacity = newCapacity;
  tier.slabBytes += target;
  tier.slabBytes -= partition.currentBytes;
  partition.currentBytes = target;
  partition.reallocating = false;
}

bool DecodedTileCache::ReallocateNextPartition() {
  SlabTier& tier = SlabTier::Shared();
  std::lock_guard reallocation(tier.reallocation);
  std::shared_ptr<SlabPartition> chosen;
  ULONGLONG target = 0;
  {
    std::lock_guard lock(tier.decoded);
    const size_t count = tier.partitions.size();
    for (size_t step = 0; step < count && !chosen; ++step) {
      const size_t index = (tier.nextPartition + step) % count;
      const auto& partition = tier.partitions[index];
      if (partition->targetBytes != partition->currentBytes && partition->targetBytes >= partition->tileBytes) {
        chosen = partition;
        target = partition->targetBytes;
        tier.nextPartition = index + 1;
      }
    }
  }
  if (!chosen) return false;
  try {
    ResizePartition(tier, *chosen, std::make_shared<Slab>(target), target);
  } catch (const std::bad_alloc&) {
    return false;  // the partition stays on its slab; the next wake-up tries again
  }
  return true;
}

}  // namespace HugeCache
