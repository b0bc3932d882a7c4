// BSTR allocation: a 4-byte byte-length prefix, the UTF-16 text (NULs allowed) and a terminating NUL.
// The pointer handed out points just past the prefix, so it reads as a plain wide string.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "oleauto.h"

namespace {

constexpr std::size_t kPrefixBytes = sizeof(std::uint32_t);

std::uint32_t* PrefixOf(BSTR bstr) { return reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(bstr) - kPrefixBytes); }

// byteLength bytes of text, copied from source when given, else zeroed.
BSTR AllocateBytes(const void* source, std::size_t byteLength) {
  if (byteLength > std::numeric_limits<std::uint32_t>::max() - 16) return nullptr;
  // Room for an odd byte count plus one whole terminating OLECHAR.
  auto* block = static_cast<char*>(std::malloc(kPrefixBytes + byteLength + 3));
  if (block == nullptr) return nullptr;
  const auto length = static_cast<std::uint32_t>(byteLength);
  std::memcpy(block, &length, sizeof length);
  char* text = block + kPrefixBytes;
  if (source != nullptr) {
    std::memmove(text, source, byteLength);
  } else {
    std::memset(text, 0, byteLength);
  }
  std::memset(text + byteLength, 0, 3);
  return reinterpret_cast<BSTR>(text);
}

std::size_t WideLength(const OLECHAR* text) {
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

}  // namespace

STDAPI_(BSTR) SysAllocString(const OLECHAR* psz) {
  if (psz == nullptr) return nullptr;
  return AllocateBytes(psz, WideLength(psz) * sizeof(OLECHAR));
}

STDAPI_(BSTR) SysAllocStringLen(const OLECHAR* pch, UINT cch) {
  return AllocateBytes(pch, static_cast<std::size_t>(cch) * sizeof(OLECHAR));
}

STDAPI_(BSTR) SysAllocStringByteLen(LPCSTR psz, UINT len) { return AllocateBytes(psz, len); }

STDAPI_(INT) SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) {
  if (pbstr == nullptr) return FALSE;
  // The new text may lie inside the old string: copy first, free afterwards.
  BSTR replacement = SysAllocStringLen(psz, len);
  if (replacement == nullptr) return FALSE;
  SysFreeString(*pbstr);
  *pbstr = replacement;
  return TRUE;
}

STDAPI_(INT) SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
  if (pbstr == nullptr) return FALSE;
  if (psz == nullptr) {
    SysFreeString(*pbstr);
    *pbstr = nullptr;
    return TRUE;
  }
  return SysReAllocStringLen(pbstr, psz, static_cast<UINT>(WideLength(psz)));
}

STDAPI_(void) SysFreeString(BSTR bstrString) {
  if (bstrString != nullptr) std::free(PrefixOf(bstrString));
}

STDAPI_(UINT) SysStringByteLen(BSTR bstr) {
  if (bstr == nullptr) return 0;
  std::uint32_t length;
  std::memcpy(&length, PrefixOf(bstr), sizeof length);
  return length;
}

STDAPI_(UINT) SysStringLen(BSTR pbstr) { return SysStringByteLen(pbstr) / sizeof(OLECHAR); }
