// Raw tiles on their way into host memory buffers. A tile is first sized and its buffer lent
// (`LendTileBuffer`); a batch lends up to kCapacity buffers and then has the slide library read
// all their tiles at once, so tiles lying one after another in a file cost one system call.
#pragma once

#include <KLVMemoryBufferHelper.h>
#include <WSIZoomImage.h>

#include <array>
#include <cstdint>
#include <memory>

// The zoom image that raw reads of one level and focus go to, the plane asked of it (extended:
// the image's only plane, read through the extended-focus reads) and the slide's scan-map ROI
// offset in tiles that batch coordinates are given in. Shares the image, so the reads need no lock.
struct RawTileSource {
  std::shared_ptr<const CWSIZoomImage> image;
  bool extended = false;
  uint32_t plane = 0;
  LONG offsetX = 0;
  LONG offsetY = 0;
};

// Sizes `buffer` to the encoded tile at (x, y), channel 0, and borrows its bytes through `loan`.
// Library failures are logged under the tile reader's name and returned; a tile of 0 bytes or a
// null buffer gives E_INVALIDARG; the buffer's own failures are returned unchanged.
HRESULT LendTileBuffer(const RawTileSource& source, long x, long y, IKLVMemoryBuffer* buffer,
                       KLVMemoryBufferHelper::CKLVMemoryBufferHelper& loan, WSIEncodedTileRead& read);

// The second half of LendTileBuffer, for a tile of `size` bytes: sizes `buffer` and lends it into
// read.destination and read.capacity.
HRESULT LendSizedBuffer(uint64_t size, IKLVMemoryBuffer* buffer, KLVMemoryBufferHelper::CKLVMemoryBufferHelper& loan,
                        WSIEncodedTileRead& read);

// Logs a failing library result under the tile reader's name; the code as an HRESULT.
HRESULT ReportTileRead(int line, long result);

class RawTileBatch {
 public:
  static constexpr size_t kCapacity = 64;

  // The source outlives the batch.
  explicit RawTileBatch(const RawTileSource& source) : m_source(source) {}

  bool Full() const { return m_count == kCapacity; }
  // Whether the buffer is already lent for a tile of this batch (it can hold one tile at a time).
  bool Holds(const IKLVMemoryBuffer* buffer) const;
  HRESULT Add(long x, long y, IKLVMemoryBuffer* buffer);
  // Reads the lent tiles and hands every buffer back; the first failure in tile order, or S_OK.
  HRESULT Read();

 private:
  const RawTileSource& m_source;
  size_t m_count = 0;
  std::array<IKLVMemoryBuffer*, kCapacity> m_buffers{};
  std::array<WSIEncodedTileRead, kCapacity> m_reads{};
  std::array<KLVMemoryBufferHelper::CKLVMemoryBufferHelper, kCapacity> m_loans;
};
