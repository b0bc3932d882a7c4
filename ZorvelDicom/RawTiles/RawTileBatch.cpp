// Lending host buffers for raw tiles and reading batches of them (see RawTileBatch.h).
#include "RawTiles/RawTileBatch.h"

#include <algorithm>
#include <limits>

#include "ModuleLog.h"

namespace {

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr const char16_t* kEncodedTile = u"CDicomZorvelImpl::GetEncodedSourceTile";

}  // namespace

HRESULT ReportTileRead(int line, long result) {
  SeGetErrorLogFile()->LogError(kSource, line, static_cast<HRESULT>(result), kEncodedTile);
  return static_cast<HRESULT>(result);
}

HRESULT LendTileBuffer(const RawTileSource& source, long x, long y, IKLVMemoryBuffer* buffer,
                       KLVMemoryBufferHelper::CKLVMemoryBufferHelper& loan, WSIEncodedTileRead& read) {
  read = WSIEncodedTileRead{};
  read.x = static_cast<uint32_t>(x);
  read.y = static_cast<uint32_t>(y);
  uint64_t size = 0;
  long errorCode = 0;
  const long result =
      source.image->GetEncodedTileSize(source.plane, read.x, read.y, 0, &size, nullptr, &errorCode, nullptr);
  if (result != 0) return ReportTileRead(1421, result);
  if (errorCode != 0) return ReportTileRead(1423, errorCode);
  return LendSizedBuffer(size, buffer, loan, read);
}

HRESULT LendSizedBuffer(uint64_t size, IKLVMemoryBuffer* buffer, KLVMemoryBufferHelper::CKLVMemoryBufferHelper& loan,
                        WSIEncodedTileRead& read) {
  if (size == 0 || buffer == nullptr) return E_INVALIDARG;
  if (size > static_cast<uint64_t>(std::numeric_limits<LONG>::max())) return E_OUTOFMEMORY;
  HRESULT hr = buffer->ReCreateWithAlloc(static_cast<LONG>(size));
  if (FAILED(hr)) return hr;
  LONG lent = 0;
  char* bytes = nullptr;
  hr = loan.GetRWPtr(buffer, lent, bytes);
  if (FAILED(hr)) return hr;
  if (static_cast<uint64_t>(lent) < size || bytes == nullptr) return E_FAIL;
  read.destination = reinterpret_cast<uint8_t*>(bytes);
  read.capacity = static_cast<uint64_t>(lent);
  return S_OK;
}

bool RawTileBatch::Holds(const IKLVMemoryBuffer* buffer) const {
  return std::find(m_buffers.begin(), m_buffers.begin() + m_count, buffer) != m_buffers.begin() + m_count;
}

HRESULT RawTileBatch::Add(long x, long y, IKLVMemoryBuffer* buffer) {
  const HRESULT hr = LendTileBuffer(m_source, x, y, buffer, m_loans[m_count], m_reads[m_count]);
  if (FAILED(hr)) {
    m_loans[m_count].Clear();
    return hr;
  }
  m_buffers[m_count++] = buffer;
  return S_OK;
}

HRESULT RawTileBatch::Read() {
  if (m_count == 0) return S_OK;
  if (m_source.extended) {
    m_source.image->ReadEncodedTilesFromExtendedFocusInto(0, m_reads.data(), m_count);
  } else {
    m_source.image->ReadEncodedTilesInto(m_source.plane, 0, m_reads.data(), m_count);
  }
  // Only the first failure is logged: a tile-by-tile reader would have stopped there.
  HRESULT first = S_OK;
  for (size_t i = 0; i < m_count; ++i) {
    const WSIEncodedTileRead& read = m_reads[i];
    HRESULT hr = S_OK;
    if (read.result != 0) {
      hr = SUCCEEDED(first) ? ReportTileRead(1421, read.result) : static_cast<HRESULT>(read.result);
    } else {
      hr = m_loans[i].PassRWPtr(static_cast<LONG>(read.capacity), reinterpret_cast<char*>(read.destination));
    }
    if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    m_loans[i].Clear();
  }
  m_count = 0;
  return first;
}
