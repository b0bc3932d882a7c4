// B, G, R to R, G, B(, A) rows: one 16-byte shuffle per 5 (or 4) pixels, chosen once per process.
#include "BgrRows.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZORVEL_PY_SHUFFLES 1
#endif

namespace zorvel_py {
namespace {

template <int Channels>
void PlainRow(const std::uint8_t* bgr, std::uint8_t* out, std::int64_t count) {
  for (std::int64_t i = 0; i < count; ++i, bgr += 3, out += Channels) {
    out[0] = bgr[2];
    out[1] = bgr[1];
    out[2] = bgr[0];
    if constexpr (Channels == 4) out[3] = 0xFF;
  }
}

#ifdef ZORVEL_PY_SHUFFLES
// Each step loads 16 bytes (5 pixels and one byte of the 6th) and stores 16: the 16th byte is
// rewritten by the next step, so a step runs only while a 6th pixel exists in both rows.
__attribute__((target("ssse3"))) void ShuffledRow3(const std::uint8_t* bgr, std::uint8_t* out, std::int64_t count) {
  const __m128i swap = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  std::int64_t i = 0;
  for (; i + 6 <= count; i += 5) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + i * 3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i * 3), _mm_shuffle_epi8(pixels, swap));
  }
  PlainRow<3>(bgr + i * 3, out + i * 3, count - i);
}

// Each step loads 16 bytes (4 pixels and 4 bytes beyond, hence the 6-pixel bound) and stores 4 pixels.
__attribute__((target("ssse3"))) void ShuffledRow4(const std::uint8_t* bgr, std::uint8_t* out, std::int64_t count) {
  const __m128i spread = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  std::int64_t i = 0;
  for (; i + 6 <= count; i += 4) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + i * 3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i * 4), _mm_or_si128(_mm_shuffle_epi8(pixels, spread), opaque));
  }
  PlainRow<4>(bgr + i * 3, out + i * 4, count - i);
}

bool HasShuffles() {
  __builtin_cpu_init();  // this runs among static initialisers, maybe before the runtime's own
  return __builtin_cpu_supports("ssse3");
}

const bool kHasShuffles = HasShuffles();
#endif

}  // namespace

void BgrToRgbRow(const std::uint8_t* bgr, std::uint8_t* out, std::int64_t count, int channels) {
#ifdef ZORVEL_PY_SHUFFLES
  if (kHasShuffles) {
    channels == 4 ? ShuffledRow4(bgr, out, count) : ShuffledRow3(bgr, out, count);
    return;
  }
#endif
  channels == 4 ? PlainRow<4>(bgr, out, count) : PlainRow<3>(bgr, out, count);
}

}  // namespace zorvel_py
