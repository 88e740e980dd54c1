#include "buildinfo/MarkerSearch.h"
#include "core/CpuFeatures.h"

#if defined(__x86_64__)

#include <immintrin.h>

// Each step compares the bytes at i, i + 4 and i + 7 of 64 indices at once with the first and
// last bytes of both markers; the rare indices that pass both tests of one marker are confirmed
// byte by byte. The loads reach 7 bytes past the step, so a step runs only where they stay
// inside the buffer.

#define PARVEX_TARGET_AVX2 __attribute__((target("avx2,bmi")))
#define PARVEX_TARGET_AVX512 __attribute__((target("avx2,avx512f,avx512bw,bmi")))

namespace parvex::markers {
namespace {

constexpr std::size_t kStep = 64;
constexpr std::size_t kReach = kSdkMagic.size() - 1;
constexpr std::size_t kOpeningLast = kMiddlewareOpening.size() - 1;

constexpr char kMagicEnds = static_cast<char>(kSdkMagic[0]);
static_assert(kSdkMagic[0] == kSdkMagic[kReach], "one compare serves the magic's first and last byte");
constexpr char kOpeningFirst = static_cast<char>(kMiddlewareOpening[0]);
constexpr char kOpeningEnd = static_cast<char>(kMiddlewareOpening[kOpeningLast]);

PARVEX_TARGET_AVX2 inline __m256i candidates32(const std::uint8_t* p, __m256i ends, __m256i open, __m256i plus) {
    const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i fifth = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + kOpeningLast));
    const __m256i eighth = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + kReach));
    const __m256i sdk = _mm256_and_si256(_mm256_cmpeq_epi8(first, ends), _mm256_cmpeq_epi8(eighth, ends));
    const __m256i mw = _mm256_and_si256(_mm256_cmpeq_epi8(first, open), _mm256_cmpeq_epi8(fifth, plus));
    return _mm256_or_si256(sdk, mw);
}

}  // namespace

bool avx2Supported() { return cpuFeatures().avx2 && cpuFeatures().bmi; }

bool avx512Supported() { return avx2Supported() && cpuFeatures().avx512f && cpuFeatures().avx512bw; }

PARVEX_TARGET_AVX2 std::size_t findAvx2(const std::uint8_t* data, std::size_t size, std::size_t from, std::size_t to,
                                        MarkerHit* out, std::size_t cap, std::size_t& count) {
    const __m256i ends = _mm256_set1_epi8(kMagicEnds);
    const __m256i open = _mm256_set1_epi8(kOpeningFirst);
    const __m256i plus = _mm256_set1_epi8(kOpeningEnd);
    std::size_t at = from;
    while (to - at >= kStep && size - at >= kStep + kReach && cap - count >= kStep) {
        const __m256i lo = candidates32(data + at, ends, open, plus);
        const __m256i hi = candidates32(data + at + 32, ends, open, plus);
        const __m256i any = _mm256_or_si256(lo, hi);
        if (!_mm256_testz_si256(any, any)) {
            const auto loBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(lo));
            const auto hiBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(hi));
            confirmCandidates(data, at, static_cast<std::uint64_t>(hiBits) << 32 | loBits, out, count);
        }
        at += kStep;
    }
    return at;
}

PARVEX_TARGET_AVX512 std::size_t findAvx512(const std::uint8_t* data, std::size_t size, std::size_t from,
                                            std::size_t to, MarkerHit* out, std::size_t cap, std::size_t& count) {
    const __m512i ends = _mm512_set1_epi8(kMagicEnds);
    const __m512i open = _mm512_set1_epi8(kOpeningFirst);
    const __m512i plus = _mm512_set1_epi8(kOpeningEnd);
    std::size_t at = from;
    while (to - at >= kStep && size - at >= kStep + kReach && cap - count >= kStep) {
        const __m512i first = _mm512_loadu_si512(data + at);
        const __m512i fifth = _mm512_loadu_si512(data + at + kOpeningLast);
        const __m512i eighth = _mm512_loadu_si512(data + at + kReach);
        const __mmask64 sdk = _mm512_mask_cmpeq_epi8_mask(_mm512_cmpeq_epi8_mask(first, ends), eighth, ends);
        const __mmask64 mw = _mm512_mask_cmpeq_epi8_mask(_mm512_cmpeq_epi8_mask(first, open), fifth, plus);
        const std::uint64_t bits = _cvtmask64_u64(_kor_mask64(sdk, mw));
        if (bits != 0) confirmCandidates(data, at, bits, out, count);
        at += kStep;
    }
    return at;
}

}  // namespace parvex::markers

#else

namespace parvex::markers {

bool avx2Supported() { return false; }
bool avx512Supported() { return false; }

std::size_t findAvx2(const std::uint8_t*, std::size_t, std::size_t from, std::size_t, MarkerHit*, std::size_t,
                     std::size_t&) {
    return from;
}

std::size_t findAvx512(const std::uint8_t*, std::size_t, std::size_t from, std::size_t, MarkerHit*, std::size_t,
                       std::size_t&) {
    return from;
}

}  // namespace parvex::markers

#endif
