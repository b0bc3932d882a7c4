// B, G, R to R, G, B(, A) rows: each kernel permutes as many whole pixels as its register holds,
// and the plain loop finishes the row.
#include "BgrRows.h"

#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZORVEL_PY_PERMUTES 1
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

#ifdef ZORVEL_PY_PERMUTES
// Each step loads 16 bytes (5 pixels and one byte of the 6th) and stores 16: the 16th byte is
// rewritten by the next step, so a step runs only while a 6th pixel exists in both rows.
__attribute__((target("ssse3"))) void Ssse3Row3(const std::uint8_t* bgr, std::uint8_t* out, std::int64_t count) {
  const __m128i swap = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  std::int64_t i = 0;
  for (; i + 6 <= count; i += 5) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + i * 3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i * 3), _mm_shuffle_epi8(pixels, swap));
  }
  PlainRow<3>(bgr + i * 3, out + i * 3, count - i);
}

// Each step loads 16 bytes (4 pixels and 4 bytes beyond, hence the 6-pixel bound) and stores 4 pixels.
__attribute__((target("ssse3"))) void Ssse3Row4(const std::uint8_t* bgr, std::uint8_t* out, std::int64_t count) {
  const __m128i spread = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  std::int64_t i = 0;
  for (; i + 6 <= count; i += 4) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + i * 3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i * 4), _mm_or_si128(_mm_shuffle_epi8(pixels, spread), opaque));
  }
  PlainRow<4>(bgr + i * 3, out + i * 4, count - i);
}

// Byte p * Channels + c of a step's output takes byte p * 3 + 2 - c of its input (c < 3).
template <int Channels>
constexpr std::array<std::uint8_t, 64> kVbmiOrder = [] {
  std::array<std::uint8_t, 64> order{};
  for (int p = 0; p < 64 / Channels && p * 3 + 2 < 64; ++p) {
    for (int c = 0; c < 3; ++c) order[p * Channels + c] = static_cast<std::uint8_t>(p * 3 + 2 - c);
  }
  return order;
}();

// Masked loads and stores of exactly the step's pixels: 21 pixels (63 bytes) per step.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void VbmiRow3(const std::uint8_t* bgr, std::uint8_t* out,
                                                                    std::int64_t count) {
  const __m512i swap = _mm512_loadu_si512(kVbmiOrder<3>.data());
  const __mmask64 pixels63 = ~std::uint64_t{0} >> 1;
  std::int64_t i = 0;
  for (; i + 21 <= count; i += 21) {
    const __m512i pixels = _mm512_maskz_loadu_epi8(pixels63, bgr + i * 3);
    _mm512_mask_storeu_epi8(out + i * 3, pixels63, _mm512_maskz_permutexvar_epi8(pixels63, swap, pixels));
  }
  PlainRow<3>(bgr + i * 3, out + i * 3, count - i);
}

// 16 pixels per step: 48 bytes loaded, 64 stored with A set.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void VbmiRow4(const std::uint8_t* bgr, std::uint8_t* out,
                                                                    std::int64_t count) {
  const __m512i spread = _mm512_loadu_si512(kVbmiOrder<4>.data());
  const __m512i opaque = _mm512_set1_epi32(static_cast<int>(0xFF000000u));
  const __mmask64 pixels48 = ~std::uint64_t{0} >> 16;
  std::int64_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m512i pixels = _mm512_maskz_loadu_epi8(pixels48, bgr + i * 3);
    const __m512i rgb = _mm512_maskz_permutexvar_epi8(~__mmask64{0}, spread, pixels);
    _mm512_storeu_si512(out + i * 4, _mm512_or_si512(rgb, opaque));
  }
  PlainRow<4>(bgr + i * 3, out + i * 4, count - i);
}
#endif

RowKernel FindBestKernel() {
#ifdef ZORVEL_PY_PERMUTES
  __builtin_cpu_init();  // this may run among static initialisers, before the runtime's own
  if (__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi")) return RowKernel::kVbmi;
  if (__builtin_cpu_supports("ssse3")) return RowKernel::kSsse3;
#endif
  return RowKernel::kPlain;
}

const RowKernel kBestKernel = FindBestKernel();

}  // namespace

RowKernel BestRowKernel() { return kBestKernel; }

bool ProcessorRuns(RowKernel kernel) {
  return kernel == RowKernel::kPlain || (kernel == RowKernel::kSsse3 && kBestKernel != RowKernel::kPlain) ||
         kernel == kBestKernel;
}

void BgrToRgbRow(const std::uint8_t* bgr, std::uint8_t* out, std::int64_t count, int channels) {
  BgrToRgbRow(kBestKernel, bgr, out, count, channels);
}

void BgrToRgbRow(RowKernel kernel, const std::uint8_t* bgr, std::uint8_t* out, std::int64_t count, int channels) {
  const bool alpha = channels == 4;
#ifdef ZORVEL_PY_PERMUTES
  if (kernel == RowKernel::kVbmi) return alpha ? VbmiRow4(bgr, out, count) : VbmiRow3(bgr, out, count);
  if (kernel == RowKernel::kSsse3) return alpha ? Ssse3Row4(bgr, out, count) : Ssse3Row3(bgr, out, count);
#endif
  alpha ? PlainRow<4>(bgr, out, count) : PlainRow<3>(bgr, out, count);
}

}  // namespace zorvel_py
