// The decoded-tile cache's operations on the slab tier: registration of clients and partitions,
// the ring of slots with its hand-over to the overflow tier, pins, and leaving at destruction.
#include "HugeCache/DecodedTileCache.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <agents.h>

#include "HugeCache/CacheBudgets.h"
#include "HugeCache/ReallocationAgent.h"
#include "HugeCache/SlabTier.h"
#include "ModuleLog.h"

namespace HugeCache {

namespace {

constexpr int kInitFailureLine = 214;

std::shared_ptr<SlabPartition> NewPartition(ULONGLONG tileBytes, ULONGLONG bytes) {
  auto partition = std::make_shared<SlabPartition>();
  partition->tileBytes = tileBytes;
  partition->capacity = std::min<ULONGLONG>(bytes, kMaxSlabBytes) / tileBytes;
  const ULONGLONG slabBytes = partition->capacity != 0 ? partition->capacity * tileBytes : tileBytes;
  partition->slab = std::make_shared<Slab>(slabBytes);
  partition->currentBytes = partition->targetBytes = slabBytes;
  return partition;
}

}  // namespace

SlabTier& SlabTier::Shared() {
  static SlabTier* tier = new SlabTier();  // never destroyed: threads may use it during exit
  return *tier;
}

ScatteredDecodedCache& OverflowMover() {
  static ScatteredDecodedCache* mover = new ScatteredDecodedCache();
  return *mover;
}

TileKey DecodedTileCache::KeyOf(long focus, long zoom, long channel, long row, long column) const {
  return TileKey{m_clientNumber, static_cast<std::int32_t>(focus), static_cast<std::int32_t>(zoom),
                 static_cast<std::int32_t>(channel), static_cast<std::int32_t>(row), static_cast<std::int32_t>(column)};
}

HRESULT DecodedTileCache::Init(const std::u16string& path, ULONGLONG tileBytes, ULONGLONG budget) {
  try {
    if (m_initialised) Leave();
    if (tileBytes == 0) throw std::invalid_argument("tile bytes");
    SlabTier& tier = SlabTier::Shared();
    {
      std::lock_guard lock(tier.decoded);
      m_path = path;
      auto found = std::find_if(tier.partitions.rbegin(), tier.partitions.rend(),
                                [&](const auto& partition) { return partition->tileBytes == tileBytes; });
      auto entry = tier.registry.find(path);
      const bool newPath = entry == tier.registry.end();
      const auto clientsAfter = static_cast<ULONGLONG>(tier.clientCount + (newPath ? 1 : 0));
      const ULONGLONG share = std::max(budget / clientsAfter, tileBytes);
      // The slab is reserved before anything is filed, so that a failure leaves no trace.
      std::shared_ptr<SlabPartition> partition =
          found != tier.partitions.rend() ? *found : NewPartition(tileBytes, tier.partitions.empty() ? budget : share);
      if (newPath) {
        entry = tier.registry.emplace(path, SlabTier::RegistryEntry{++tier.numberCounter, 0}).first;
        ++tier.clientCount;
      }
      ++entry->second.users;
      m_clientNumber = entry->second.number;
      m_partition = partition;
      if (found == tier.partitions.rend()) {
        tier.partitions.push_back(m_partition);
        tier.slabBytes += m_partition->currentBytes;
      }
      ++m_partition->clients[m_clientNumber];
      if (newPath && tier.partitions.size() > 1) tier.RebalanceLocked(share);
      tier.registered.push_back(this);
      if (tier.agent == nullptr) tier.agent = ReallocationAgent::Launch();
    }
    m_overflow.Register(path, m_clientNumber);
    const ULONGLONG slabs = tier.slabBytes;
    ScatteredCache<DecodedTile>::SetBudget(budget > slabs ? budget - slabs : 0);
    m_initialised = true;
    return S_OK;
  } catch (...) {
    SeGetErrorLogFile()->LogError(u"DecodedTileCache", kInitFailureLine, E_FAIL, u"HugeCache::DecodedTileCache::Init");
    return E_FAIL;
  }
}

DecodedTileCache::~DecodedTileCache() {
  if (m_initialised) Leave();
}

// Destruction: the last user of a path takes its tiles out of the partition; the last client of a
// partition removes it; the last partition stops the reallocation agent (after the locks are let
// go: the agent may be waiting for them).
void DecodedTileCache::Leave() {
  const ULONGLONG decodedBudget = CurrentDecodedBudget();  // takes the overflow and encoded mutexes
  SlabTier& tier = SlabTier::Shared();
  ReallocationAgent* stopped = nullptr;
  {
    std::lock_guard reallocation(tier.reallocation);
    std::lock_guard lock(tier.decoded);
    std::erase(tier.registered, this);
    SlabPartition& partition = *m_partition;
    if (--partition.clients[m_clientNumber] == 0) {
      partition.clients.erase(m_clientNumber);
      std::vector<TileKey> keys;
      for (const auto& [key, entry] : partition.slots) {
        if (key.client == m_clientNumber) keys.push_back(key);
      }
      for (const TileKey& key : keys) partition.EraseTile(key);
    }
    if (partition.clients.empty()) {
      if (!partition.pins.empty()) tier.orphans.push_back(m_partition);
      std::erase(tier.partitions, m_partition);
      tier.slabBytes -= partition.currentBytes;
    }
    auto entry = tier.registry.find(m_path);
    if (entry != tier.registry.end() && --entry->second.users == 0) {
      tier.registry.erase(entry);
      --tier.clientCount;
      tier.RebalanceLocked(decodedBudget / static_cast<ULONGLONG>(std::max<LONGLONG>(tier.clientCount, 1)));
    }
    if (tier.partitions.empty()) std::swap(stopped, tier.agent);
    m_partition.reset();
    m_initialised = false;
  }
  if (stopped != nullptr) ReallocationAgent::Stop(stopped);
  m_overflow.Unregister();
}

int DecodedTileCache::Reserve(long focus, long zoom, long channel, long row, long column, unsigned char*& address) {
  address = nullptr;
  if (!m_initialised) return kReserveNoSlot;
  SlabTier& tier = SlabTier::Shared();
  std::lock_guard lock(tier.decoded);
  if (m_partition == nullptr) return kReserveNoSlot;
  SlabPartition& partition = *m_partition;
  if (partition.reallocating) return kReserveNoSlot;
  const TileKey key = KeyOf(focus, zoom, channel, row, column);
  if (auto it = partition.slots.find(key); it != partition.slots.end()) {
    if (!it->second.complete) return kReservePending;
    address = partition.Address(it->second.slot);
    partition.Pin(address);
    return kReserveFinished;
  }
  const ULONGLONG usable = partition.UsableCapacity();
  if (usable == 0) return kReserveNoSlot;
  const bool wraps = static_cast<ULONGLONG>(partition.lastSlot + 1) >= usable;
  const ULONGLONG slot = wraps ? 0 : static_cast<ULONGLONG>(partition.lastSlot + 1);
  unsigned char* slotAddress = partition.Address(slot);
  if (partition.IsPinned(slotAddress)) return kReserveNoSlot;
  partition.wrapped = partition.wrapped || wraps || slot + 1 >= usable;
  partition.lastSlot = static_cast<long long>(slot);
  if (auto owner = partition.owners.find(static_cast<ULONG>(slot)); owner != partition.owners.end()) {
    const TileKey previous = owner->second;
    if (partition.slots[previous].complete) OverflowMover().AddTile(previous, slotAddress, partition.tileBytes);
    partition.EraseTile(previous);
  }
  partition.slots[key] = {static_cast<ULONG>(slot), false};
  partition.owners[static_cast<ULONG>(slot)] = key;
  partition.Pin(slotAddress);
  address = slotAddress;
  return kReserveNew;
}

void DecodedTileCache::MarkComplete(long focus, long zoom, long channel, long row, long column) {
  if (!m_initialised) return;
  SlabTier& tier = SlabTier::Shared();
  std::lock_guard lock(tier.decoded);
  if (m_partition == nullptr) return;
  SlabPartition& partition = *m_partition;
  const TileKey key = KeyOf(focus, zoom, channel, row, column);
  partition.FinishDeferredCopy(key, OverflowMover());
  auto it = partition.slots.find(key);
  if (it == partition.slots.end()) return;
  it->second.complete = true;
}

unsigned char* DecodedTileCache::Find(long focus, long zoom, long channel, long row, long column, bool pin) {
  if (!m_initialised) return nullptr;
  SlabTier& tier = SlabTier::Shared();
  {
    std::lock_guard lock(tier.decoded);
    if (m_partition == nullptr) return nullptr;
    SlabPartition& partition = *m_partition;
    auto it = partition.slots.find(KeyOf(focus, zoom, channel, row, column));
    if (it != partition.slots.end()) {
      if (!it->second.complete) return nullptr;
      unsigned char* address = partition.Address(it->second.slot);
      if (pin) partition.Pin(address);
      return address;
    }
  }
  return m_overflow.FindTile(focus, zoom, channel, row, column, pin);
}

bool DecodedTileCache::IsPending(long focus, long zoom, long channel, long row, long column) {
  if (!m_initialised) return false;
  SlabTier& tier = SlabTier::Shared();
  std::lock_guard lock(tier.decoded);
  if (m_partition == nullptr) return false;
  auto it = m_partition->slots.find(KeyOf(focus, zoom, channel, row, column));
  return it != m_partition->slots.end() && !it->second.complete;
}

// The slot's partition is looked up under the lock: the object may have left its partition (a slide
// closed or reopened on another thread) while a region request still held the pin.
void DecodedTileCache::Release(const unsigned char* address) {
  if (address == nullptr) return;
  {
    SlabTier& tier = SlabTier::Shared();
    std::lock_guard lock(tier.decoded);
    if (SlabPartition* partition = tier.PartitionHolding(m_partition.get(), address); partition != nullptr) {
      if (partition->Unpin(address)) {
        partition->ForgetAbandonedWrite(address);
        partition->DropRetiredWithoutPins();
        if (partition->pins.empty()) {
          std::erase_if(tier.orphans, [&](const auto& orphan) { return orphan.get() == partition; });
        }
      }
      return;
    }
  }
  m_overflow.ReleaseTile(address);
}

SlabPartition* SlabTier::PartitionHolding(SlabPartition* first, const unsigned char* address) const {
  if (first != nullptr && first->Holds(address)) return first;
  for (const auto* list : {&partitions, &orphans}) {
    for (const auto& partition : *list) {
      if (partition->Holds(address)) return partition.get();
    }
  }
  return nullptr;
}

void DecodedTileCache::Rebalance(ULONGLONG perClient) {
  SlabTier& tier = SlabTier::Shared();
  std::lock_guard lock(tier.decoded);
  tier.RebalanceLocked(perClient);
}

void SlabTier::RebalanceLocked(ULONGLONG perClient) {
  ULONGLONG pool = 0, allUsers = 0, cappedUsers = 0;
  for (const auto& partition : partitions) {
    const ULONGLONG users = partition->clients.size();
    allUsers += users;
    const ULONGLONG wanted = users * perClient / partition->tileBytes * partition->tileBytes;
    if (wanted > kMaxSlabBytes) {
      pool += wanted - CapToSlabLimit(wanted, partition->tileBytes);
      cappedUsers += std::max<ULONGLONG>(users, 1);
    }
  }
  const ULONGLONG extra = allUsers > cappedUsers ? pool / (allUsers - cappedUsers) : 0;
  for (const auto& partition : partitions) {
    const ULONGLONG slots = (perClient + extra) * partition->clients.size() / partition->tileBytes;
    if (slots != 0) partition->targetBytes = CapToSlabLimit(slots * partition->tileBytes, partition->tileBytes);
  }
  const ULONGLONG wantedTotal = perClient * static_cast<ULONGLONG>(clientCount);
  ScatteredCache<DecodedTile>::SetBudget(wantedTotal > slabBytes ? wantedTotal - slabBytes : 0);
}

std::vector<DecodedTileCache::PartitionInfo> DecodedTileCache::Partitions() {
  SlabTier& tier = SlabTier::Shared();
  std::lock_guard lock(tier.decoded);
  std::vector<PartitionInfo> result;
  for (const auto& p : tier.partitions) {
    result.push_back({p->tileBytes, p->capacity, p->currentBytes, p->targetBytes, p->clients.size(), p->pins.size(),
                      p->retired.size(), p->slots.size()});
  }
  return result;
}

ULONGLONG DecodedTileCache::SlabBytes() { return SlabTier::Shared().slabBytes; }

LONGLONG DecodedTileCache::ClientCount() {
  SlabTier& tier = SlabTier::Shared();
  std::lock_guard lock(tier.decoded);
  return tier.clientCount;
}

void DecodedTileCache::WakeReallocationAgent() {
  SlabTier& tier = SlabTier::Shared();
  std::lock_guard lock(tier.decoded);
  if (tier.agent != nullptr) tier.agent->Wake();
}

}  // namespace HugeCache
