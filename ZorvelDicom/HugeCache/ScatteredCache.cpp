// The scattered cache's process-wide state per instantiation, its client registry and its FIFO
// eviction. Both instantiations are compiled here; the state of each is made on first use and
// intentionally never destroyed, so threads still running at process exit never touch freed state.
#include "HugeCache/ScatteredCache.h"

#include <atomic>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <vector>

#include <ppl.h>

namespace HugeCache {

namespace {
// Fewer values than this are released on the calling thread.
constexpr size_t kParallelReleaseFrom = 16;
}  // namespace

template <class T>
struct ScatteredCache<T>::State {
  struct Stored;
  using TileMap = std::map<TileKey, Stored>;
  using Fifo = std::list<typename TileMap::value_type*>;  // insertion order, oldest first
  struct Stored {
    T value;
    ULONGLONG size = 0;
    typename Fifo::iterator fifoPosition;
  };
  struct RegistryEntry {
    LONGLONG number = 0;
    LONGLONG users = 0;
  };

  std::mutex mutex;
  std::map<std::u16string, RegistryEntry> registry;
  LONGLONG clientCount = 0;
  // Never restarts: a client kept from before Clear (or from before the last path closed) goes on
  // filing under its number, which must not become another path's.
  std::atomic<LONGLONG> numberCounter{-1};
  unsigned long long generation = 1;
  std::atomic<ULONGLONG> budget{0};
  std::atomic<ULONGLONG> total{0};       // bytes of all stored tiles; changed under the mutex only
  std::map<LONGLONG, ULONGLONG> clientBytes;
  TileMap tiles;
  Fifo fifo;
  std::map<const unsigned char*, ULONG> pins;  // decoded: pinned tile addresses and their counts
  std::map<LONGLONG, std::u16string> paths;    // decoded: client number -> path of its registered users

  bool IsPinned(const Stored& stored) const {
    if constexpr (kDecoded) return pins.count(stored.value.get()) != 0;
    return false;
  }
  void Count(LONGLONG client, ULONGLONG size) {
    total += size;
    clientBytes[client] += size;
  }
  void Uncount(LONGLONG client, ULONGLONG size) {
    total -= size;
    auto it = clientBytes.find(client);
    if (it != clientBytes.end() && (it->second -= size) == 0) clientBytes.erase(it);
  }
  // Moves the values of the entries out (to be released once the mutex is let go) and erases the
  // entries, which are already unlinked from the FIFO.
  void TakeValues(const std::vector<TileKey>& keys, std::vector<T>& released) {
    for (const TileKey& key : keys) {
      auto it = tiles.find(key);
      released.push_back(std::move(it->second.value));
      tiles.erase(it);
    }
  }
  // Takes the oldest unpinned entries off the totals and the FIFO until the total is within the
  // budget; returns their keys.
  std::vector<TileKey> Evict() {
    std::vector<TileKey> evicted;
    for (auto it = fifo.begin(); it != fifo.end() && total > budget;) {
      auto* entry = *it;
      if (IsPinned(entry->second)) {
        ++it;
        continue;
      }
      Uncount(entry->first.client, entry->second.size);
      evicted.push_back(entry->first);
      it = fifo.erase(it);
    }
    return evicted;
  }
  // DeleteClient: every tile of the client goes (decoded: its pins too); values to release are
  // moved into released.
  void DeleteClient(LONGLONG client, std::vector<T>& released) {
    const TileKey first{client, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN};
    auto begin = tiles.lower_bound(first);
    auto end = begin;
    for (; end != tiles.end() && end->first.client == client; ++end) {
      if constexpr (kDecoded) pins.erase(end->second.value.get());
      fifo.erase(end->second.fifoPosition);
      released.push_back(std::move(end->second.value));
    }
    tiles.erase(begin, end);
    if (auto it = clientBytes.find(client); it != clientBytes.end()) {
      total -= it->second;
      clientBytes.erase(it);
    }
  }
};

// Releases many values at once spread over worker threads. Called with no cache mutex held: a
// thread waiting for the loop may run other work that takes them.
template <class T>
void ReleaseInParallel(std::vector<T>& values) {
  if (values.size() < kParallelReleaseFrom) {
    values.clear();
    return;
  }
  Concurrency::parallel_for(size_t{0}, values.size(), [&](size_t i) { values[i] = T(); });
  values.clear();
}

template <class T>
typename ScatteredCache<T>::State& ScatteredCache<T>::Shared() {
  static State* state = new State();
  return *state;
}

template <class T>
LONGLONG ScatteredCache<T>::Register(const std::u16string& path) {
  Unregister();
  State& state = Shared();
  std::lock_guard lock(state.mutex);
  auto [it, inserted] = state.registry.try_emplace(path);
  if (inserted) {
    it->second.number = ++state.numberCounter;
    ++state.clientCount;
  }
  ++it->second.users;
  m_path = path;
  m_number = it->second.number;
  m_generation = state.generation;
  m_registered = true;
  return m_number;
}

template <class T>
void ScatteredCache<T>::Unregister() {
  if (!m_registered) return;
  m_registered = false;
  State& state = Shared();
  std::vector<T> released;
  {
    std::lock_guard lock(state.mutex);
    if (m_generation != state.generation) return;
    auto it = state.registry.find(m_path);
    if (it == state.registry.end()) return;
    if constexpr (kDecoded) {
      if (it->second.users < 2) state.paths.erase(m_number);
    }
    if (--it->second.users > 0) return;
    state.registry.erase(it);
    --state.clientCount;
    state.DeleteClient(m_number, released);
  }
  ReleaseInParallel(released);
}

template <class T>
void ScatteredCache<T>::AdoptNumber(LONGLONG number)
  requires kDecoded
{
  State& state = Shared();
  std::lock_guard lock(state.mutex);
  m_number = number;
  if (m_registered) state.paths[m_number] = m_path;
}

template <class T>
TileKey ScatteredCache<T>::KeyOf(long focus, long zoom, long channel, long row, long column) const {
  return TileKey{m_number, static_cast<std::int32_t>(focus), static_cast<std::int32_t>(zoom),
                 static_cast<std::int32_t>(channel), static_cast<std::int32_t>(row), static_cast<std::int32_t>(column)};
}

template <class T>
void ScatteredCache<T>::Store(const TileKey& key, T& value, ULONGLONG size) {
  State& state = Shared();
  std::vector<T> evicted;  // released after the mutex (declared before the lock, destroyed after it)
  std::lock_guard lock(state.mutex);
  if (state.tiles.count(key) != 0) return;  // the first value stays
  if constexpr (kDecoded) {
    if (key.client != m_number && state.paths.count(key.client) == 0) return;  // its client is gone
  }
  state.Count(key.client, size);
  if (state.total > state.budget) state.TakeValues(state.Evict(), evicted);
  if (state.total >= state.budget) {
    state.Uncount(key.client, size);
    return;
  }
  auto [it, inserted] = state.tiles.try_emplace(key);
  it->second.value = std::move(value);
  it->second.size = size;
  it->second.fifoPosition = state.fifo.insert(state.fifo.end(), &*it);
}

template <class T>
void ScatteredCache<T>::AddTile(long focus, long zoom, long channel, long row, long column, const EncodedTile& data,
                                ULONG size)
  requires(!kDecoded)
{
  T value = data;
  Store(KeyOf(focus, zoom, channel, row, column), value, size);
}

template <class T>
EncodedTile ScatteredCache<T>::FindTile(long focus, long zoom, long channel, long row, long column, ULONG& size)
  requires(!kDecoded)
{
  State& state = Shared();
  std::lock_guard lock(state.mutex);
  auto it = state.tiles.find(KeyOf(focus, zoom, channel, row, column));
  if (it == state.tiles.end()) {
    size = kTileNotFound;
    return EncodedTile();
  }
  size = static_cast<ULONG>(it->second.size);
  return it->second.value;
}

template <class T>
void ScatteredCache<T>::AddTile(const TileKey& key, const unsigned char* data, ULONGLONG size)
  requires kDecoded
{
  // A tile at or above the whole budget is refused whatever is evicted: no copy is made for it.
  if (size >= Budget()) return;
  T value(new unsigned char[size]);
  std::memcpy(value.get(), data, size);
  Store(key, value, size);
}

template <class T>
unsigned char* ScatteredCache<T>::FindTile(long focus, long zoom, long channel, long row, long column, bool pin)
  requires kDecoded
{
  State& state = Shared();
  std::lock_guard lock(state.mutex);
  auto it = state.tiles.find(KeyOf(focus, zoom, channel, row, column));
  if (it == state.tiles.end()) return nullptr;
  unsigned char* address = it->second.value.get();
  if (pin) ++state.pins[address];
  return address;
}

template <class T>
void ScatteredCache<T>::ReleaseTile(const unsigned char* address)
  requires kDecoded
{
  State& state = Shared();
  std::lock_guard lock(state.mutex);
  auto it = state.pins.find(address);
  if (it != state.pins.end() && --it->second == 0) state.pins.erase(it);
}

template <class T>
void ScatteredCache<T>::Clear() {
  State& state = Shared();
  std::vector<T> released;
  {
    std::lock_guard lock(state.mutex);
    ++state.generation;
    state.registry.clear();
    state.clientCount = 0;
    state.paths.clear();
    std::vector<TileKey> keys;
    for (auto it = state.fifo.begin(); it != state.fifo.end();) {
      auto* entry = *it;
      if (state.IsPinned(entry->second)) {
        ++it;
        continue;
      }
      state.Uncount(entry->first.client, entry->second.size);
      keys.push_back(entry->first);
      it = state.fifo.erase(it);
    }
    state.TakeValues(keys, released);
  }
  ReleaseInParallel(released);
}

template <class T>
void ScatteredCache<T>::SetBudget(ULONGLONG budget) {
  State& state = Shared();
  std::lock_guard lock(state.mutex);
  state.budget = budget;
}

template <class T>
ULONGLONG ScatteredCache<T>::Budget() {
  return Shared().budget;
}

template <class T>
ULONGLONG ScatteredCache<T>::TotalBytes() {
  return Shared().total;
}

template <class T>
ULONGLONG ScatteredCache<T>::ClientBytes(LONGLONG client) {
  State& state = Shared();
  std::lock_guard lock(state.mutex);
  auto it = state.clientBytes.find(client);
  return it == state.clientBytes.end() ? 0 : it->second;
}

template <class T>
size_t ScatteredCache<T>::TileCount() {
  State& state = Shared();
  std::lock_guard lock(state.mutex);
  return state.tiles.size();
}

template <class T>
LONGLONG ScatteredCache<T>::ClientCount() {
  State& state = Shared();
  std::lock_guard lock(state.mutex);
  return state.clientCount;
}

template class ScatteredCache<EncodedTile>;
template class ScatteredCache<DecodedTile>;

}  // namespace HugeCache
