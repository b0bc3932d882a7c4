// Pin and tile bookkeeping of one slab partition. Decoded mutex held by every caller.
#include <algorithm>
#include <cstring>

#include "HugeCache/ScatteredDecodedCache.h"
#include "HugeCache/SlabTier.h"

namespace HugeCache {

ULONGLONG SlabPartition::UsableCapacity() const {
  if (targetBytes == currentBytes || tileBytes == 0) return capacity;
  return std::min(targetBytes / tileBytes, capacity);
}

bool SlabPartition::Unpin(const unsigned char* address) {
  auto it = pins.find(address);
  if (it == pins.end()) return true;
  if (--it->second > 0) return false;
  pins.erase(it);
  return true;
}

bool SlabPartition::HasPinsIn(const Slab& block) const {
  auto it = pins.lower_bound(block.Data());
  return it != pins.end() && block.Contains(it->first);
}

bool SlabPartition::Holds(const unsigned char* address) const {
  if (slab && slab->Contains(address)) return true;
  return std::any_of(retired.begin(), retired.end(), [&](const SlabPtr& old) { return old->Contains(address); });
}

void SlabPartition::EraseTile(const TileKey& key) {
  if (auto copy = deferred.find(key); copy != deferred.end()) {
    if (copy->second.hold != nullptr) Unpin(copy->second.hold);
    deferred.erase(copy);
  }
  DetachTile(key);
}

void SlabPartition::DetachTile(const TileKey& key) {
  auto it = slots.find(key);
  if (it == slots.end()) return;
  if (auto owner = owners.find(it->second.slot); owner != owners.end() && owner->second == key) owners.erase(owner);
  slots.erase(it);
}

void SlabPartition::FinishDeferredCopy(const TileKey& key, ScatteredDecodedCache& overflow) {
  auto copy = deferred.find(key);
  if (copy == deferred.end()) return;
  if (copy->second.hold != nullptr) {
    std::memcpy(copy->second.hold, copy->second.source, tileBytes);
    Unpin(copy->second.hold);
  } else {
    overflow.AddTile(key, copy->second.source, tileBytes);
  }
  deferred.erase(copy);
}

void SlabPartition::DropRetiredWithoutPins() {
  std::erase_if(retired, [&](const SlabPtr& old) { return !HasPinsIn(*old); });
}

void SlabPartition::ForgetAbandonedWrite(const unsigned char* address) {
  for (const auto& [key, copy] : deferred) {
    if (copy.source == address) {
      const TileKey abandoned = key;
      EraseTile(abandoned);
      return;
    }
  }
  if (!slab->Contains(address)) return;
  const auto slot = static_cast<ULONG>((address - slab->Data()) / tileBytes);
  auto owner = owners.find(slot);
  if (owner == owners.end()) return;
  auto entry = slots.find(owner->second);
  if (entry != slots.end() && !entry->second.complete && deferred.count(owner->second) == 0) {
    const TileKey abandoned = owner->second;
    EraseTile(abandoned);
  }
}

}  // namespace HugeCache
