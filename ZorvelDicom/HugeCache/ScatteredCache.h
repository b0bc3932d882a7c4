// A process-wide, byte-bounded store of tiles that are each allocated on their own, shared by all
// slide-access objects. An object of this class is one client: it files tiles under its client
// number (one number per slide path) and a TileKey; the oldest tiles go first when over budget.
//
// Key: TileKey {client number, focus, zoom, channel, row, column}. Budget: the bytes of all stored
// tiles of the instantiation, set with SetBudget; a tile that would bring the total to or above
// the budget after eviction is not stored. Mutex: one per instantiation, held by every operation;
// it is taken after the decoded-tile cache's mutex and never together with the other
// instantiation's. Values taken out are released once it is let go: evicted ones on the calling
// thread, a departing client's or Clear's spread over worker threads (with no cache mutex held, so
// that a thread waiting for the loop may safely run other tile work).
// Pins (decoded instantiation): an address handed out by FindTile(pin = true) stays valid and its
// tile is skipped by eviction and by Clear until ReleaseTile balances the pin.
#pragma once

#include <memory>
#include <string>
#include <type_traits>

#include <DicomInteropBase.h>
#include <windef.h>

#include "HugeCache/TileKey.h"

namespace HugeCache {

using EncodedTile = CDicomInteropBase::DeleteDelegatorPtr<unsigned char>;  // library buffer, shared
using DecodedTile = std::unique_ptr<unsigned char[]>;                       // owned copy

// What FindTile of the encoded instantiation reports for a tile it does not hold.
inline constexpr ULONG kTileNotFound = 0xFFFFFFFFu;

template <class T>
class ScatteredCache {
 public:
  static constexpr bool kDecoded = std::is_same_v<T, DecodedTile>;

  ScatteredCache() = default;
  // Registers the path as a client.
  explicit ScatteredCache(const std::u16string& path) { Register(path); }
  virtual ~ScatteredCache() { Unregister(); }
  ScatteredCache(const ScatteredCache&) = delete;
  ScatteredCache& operator=(const ScatteredCache&) = delete;

  // One more user of the path: its existing number, or the next one. A client registered before
  // leaves its old path first. Returns the client number.
  LONGLONG Register(const std::u16string& path);
  // One user less; the last user of a path removes the path's tiles. Nothing when not registered
  // or when Clear ran since registering.
  void Unregister();
  LONGLONG ClientNumber() const { return m_number; }
  const std::u16string& Path() const { return m_path; }

  // Encoded instantiation: keeps a further reference to the library's buffer.
  void AddTile(long focus, long zoom, long channel, long row, long column, const EncodedTile& data, ULONG size)
    requires(!kDecoded);
  // A further reference to the stored buffer and its size; an empty pointer and kTileNotFound
  // when the tile is not stored.
  EncodedTile FindTile(long focus, long zoom, long channel, long row, long column, ULONG& size)
    requires(!kDecoded);

  // Decoded instantiation: keeps a copy of size bytes. A key of another client is filed under
  // that client while it is registered, and dropped otherwise.
  void AddTile(const TileKey& key, const unsigned char* data, ULONGLONG size)
    requires kDecoded;
  // The stored tile's address, pinned once more when pin is set; null when not stored.
  unsigned char* FindTile(long focus, long zoom, long channel, long row, long column, bool pin)
    requires kDecoded;
  // Takes one pin off the address (nothing when it has none).
  void ReleaseTile(const unsigned char* address)
    requires kDecoded;

  // Empties the instantiation: registry and every tile (decoded: but pinned ones). Numbers are not
  // reused, so a client registered before goes on filing under a number no other path gets.
  static void Clear();
  static void SetBudget(ULONGLONG budget);
  static ULONGLONG Budget();
  static ULONGLONG TotalBytes();  // read without the mutex
  static ULONGLONG ClientBytes(LONGLONG client);
  static size_t TileCount();
  static LONGLONG ClientCount();

 protected:
  // Decoded instantiation: the tiles of this client are filed under number (that of its
  // decoded-tile client) instead of the registry's own.
  void AdoptNumber(LONGLONG number)
    requires kDecoded;

 private:
  struct State;
  static State& Shared();
  TileKey KeyOf(long focus, long zoom, long channel, long row, long column) const;
  // Budget, eviction, refusal and insertion; value is released by the caller when not kept.
  void Store(const TileKey& key, T& value, ULONGLONG size);

  std::u16string m_path;
  LONGLONG m_number = -1;
  bool m_registered = false;
  unsigned long long m_generation = 0;  // of the registry when registered; Clear starts a new one
};

extern template class ScatteredCache<EncodedTile>;
extern template class ScatteredCache<DecodedTile>;

}  // namespace HugeCache
