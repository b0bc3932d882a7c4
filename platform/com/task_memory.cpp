// Task memory (the allocator COM hands text and arrays across interfaces with) and pointer encoding.
// CoTaskMemFree(nullptr) is allowed; the pointer-encoding secret is fixed at library load.
#include <cstdlib>
#include <random>

#include "objbase.h"

STDAPI_(LPVOID) CoTaskMemAlloc(SIZE_T cb) { return std::malloc(cb == 0 ? 1 : cb); }

STDAPI_(LPVOID) CoTaskMemRealloc(LPVOID pv, SIZE_T cb) { return std::realloc(pv, cb == 0 ? 1 : cb); }

STDAPI_(void) CoTaskMemFree(LPVOID pv) { std::free(pv); }

namespace {

std::uintptr_t PointerSecret() {
  static const std::uintptr_t secret = [] {
    std::random_device device;
    return (static_cast<std::uintptr_t>(device()) << 32 | device()) | 1u;
  }();
  return secret;
}

// Rotating as well as xor-ing keeps small pointer differences from showing in the encoded form.
std::uintptr_t RotateLeft(std::uintptr_t v, int n) { return v << n | v >> (64 - n); }
std::uintptr_t RotateRight(std::uintptr_t v, int n) { return v >> n | v << (64 - n); }

}  // namespace

extern "C" ZPLATFORM_API PVOID EncodePointer(PVOID ptr) {
  const std::uintptr_t secret = PointerSecret();
  return reinterpret_cast<PVOID>(RotateLeft(reinterpret_cast<std::uintptr_t>(ptr) ^ secret, static_cast<int>(secret % 63) + 1));
}

extern "C" ZPLATFORM_API PVOID DecodePointer(PVOID ptr) {
  const std::uintptr_t secret = PointerSecret();
  return reinterpret_cast<PVOID>(RotateRight(reinterpret_cast<std::uintptr_t>(ptr), static_cast<int>(secret % 63) + 1) ^ secret);
}
