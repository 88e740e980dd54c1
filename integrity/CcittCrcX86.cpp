#include "core/CpuFeatures.h"
#include "integrity/CcittKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

// Carry-less multiply folding. A 16-byte run is loaded with its 16-bit words in reverse order
// (bytes inside a word kept): the words are fed high byte first, so the first message byte lands
// in bit 127 and the register holds the run as a polynomial A, bit i the coefficient of x^i.
// Running remainders are kept as 128-bit polynomials only congruent mod P; moving one forward by
// D bits is A * x^D = hi * x^(D+64) + lo * x^D, and both factors are reduced mod P to 16 bits
// (xPowMod), so each product stays below 2^80. The last 128-bit remainder goes through the table.

#define PARVEX_TARGET_PCLMUL __attribute__((target("pclmul,sse4.1")))
#define PARVEX_TARGET_VPCLMUL256 __attribute__((target("pclmul,sse4.1,avx2,vpclmulqdq")))
#define PARVEX_TARGET_VPCLMUL __attribute__((target("pclmul,sse4.1,avx2,avx512f,avx512bw,avx512vl,vpclmulqdq")))

namespace parvex::ccitt {

namespace {

struct FoldFactors {
    std::uint64_t hi;
    std::uint64_t lo;
};

constexpr FoldFactors foldBy(unsigned bits) { return {xPowMod(bits + 64), xPowMod(bits)}; }

constexpr FoldFactors kFold128 = foldBy(128);
constexpr FoldFactors kFold256 = foldBy(256);
constexpr FoldFactors kFold512 = foldBy(512);
constexpr FoldFactors kFold1024 = foldBy(1024);
constexpr FoldFactors kFold2048 = foldBy(2048);

PARVEX_TARGET_PCLMUL inline __m128i factors128(FoldFactors f) {
    return _mm_set_epi64x(static_cast<long long>(f.hi), static_cast<long long>(f.lo));
}

// Byte j of each 16-byte lane takes source byte (15 - j) ^ 1: word order reversed, bytes in a
// word kept.
struct alignas(64) WordReverse {
    std::uint8_t bytes[64];
};

constexpr WordReverse makeWordReverse() {
    WordReverse order{};
    for (unsigned j = 0; j < 64; ++j) order.bytes[j] = static_cast<std::uint8_t>((15 - (j & 15u)) ^ 1u);
    return order;
}

constexpr WordReverse kWordReverse = makeWordReverse();

PARVEX_TARGET_PCLMUL inline __m128i wordReverse128() {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(kWordReverse.bytes));
}

PARVEX_TARGET_PCLMUL inline __m128i fold128(__m128i a, __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(a, k, 0x11), _mm_clmulepi64_si128(a, k, 0x00));
}

PARVEX_TARGET_PCLMUL inline __m128i load128(const std::uint8_t* p, __m128i order) {
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), order);
}

// Folds the 16-byte runs left in data, then reduces and lets the table take the last words.
PARVEX_TARGET_PCLMUL std::uint16_t finish128(__m128i acc, const std::uint8_t* data, std::size_t n) {
    const __m128i order = wordReverse128();
    const __m128i k128 = factors128(kFold128);
    for (; n >= 16; data += 16, n -= 16) acc = _mm_xor_si128(fold128(acc, k128), load128(data, order));
    const auto lo = static_cast<std::uint64_t>(_mm_cvtsi128_si64(acc));
    const auto hi = static_cast<std::uint64_t>(_mm_extract_epi64(acc, 1));
    return wordsTable(reduce128(hi, lo), data, n);
}

PARVEX_TARGET_VPCLMUL256 inline __m256i factors256(FoldFactors f) {
    return _mm256_set_epi64x(static_cast<long long>(f.hi), static_cast<long long>(f.lo), static_cast<long long>(f.hi),
                             static_cast<long long>(f.lo));
}

PARVEX_TARGET_VPCLMUL256 inline __m256i fold256(__m256i a, __m256i k, __m256i next) {
    return _mm256_xor_si256(
        _mm256_xor_si256(_mm256_clmulepi64_epi128(a, k, 0x11), _mm256_clmulepi64_epi128(a, k, 0x00)), next);
}

PARVEX_TARGET_VPCLMUL256 inline __m256i load256(const std::uint8_t* p, __m256i order) {
    return _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), order);
}

PARVEX_TARGET_VPCLMUL inline __m512i factors512(FoldFactors f) {
    return _mm512_set4_epi64(static_cast<long long>(f.hi), static_cast<long long>(f.lo), static_cast<long long>(f.hi),
                             static_cast<long long>(f.lo));
}

PARVEX_TARGET_VPCLMUL inline __m512i fold512(__m512i a, __m512i k, __m512i next) {
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(a, k, 0x11), _mm512_clmulepi64_epi128(a, k, 0x00), next,
                                     0x96);
}

PARVEX_TARGET_VPCLMUL inline __m512i load512(const std::uint8_t* p, __m512i order) {
    return _mm512_shuffle_epi8(_mm512_loadu_si512(p), order);
}

}  // namespace

bool pclmulSupported() { return cpuFeatures().pclmul && cpuFeatures().sse41; }

bool vpclmul256Supported() {
    const CpuFeatures& f = cpuFeatures();
    return pclmulSupported() && f.avx2 && f.vpclmul;
}

bool vpclmulSupported() {
    const CpuFeatures& f = cpuFeatures();
    return pclmulSupported() && f.avx512f && f.avx512bw && f.avx512vl && f.vpclmul;
}

PARVEX_TARGET_PCLMUL std::uint16_t wordsPclmul(std::uint16_t crc, const std::uint8_t* data, std::size_t n) {
    constexpr std::size_t kLanes = 8;
    constexpr std::size_t kStride = 16 * kLanes;
    if (n < 2 * kStride) return wordsTable(crc, data, n);

    const __m128i order = wordReverse128();
    __m128i x[kLanes];
    // The running CRC lines up with the first little-endian word of the message.
    x[0] = _mm_shuffle_epi8(
        _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data)), _mm_cvtsi32_si128(crc)), order);
    for (std::size_t i = 1; i < kLanes; ++i) x[i] = load128(data + 16 * i, order);
    data += kStride;
    n -= kStride;

    const __m128i k1024 = factors128(kFold1024);
    for (; n >= kStride; data += kStride, n -= kStride) {
#pragma GCC unroll 8
        for (std::size_t i = 0; i < kLanes; ++i)
            x[i] = _mm_xor_si128(fold128(x[i], k1024), load128(data + 16 * i, order));
    }

    const __m128i k128 = factors128(kFold128);
    __m128i acc = x[0];
    for (std::size_t i = 1; i < kLanes; ++i) acc = _mm_xor_si128(fold128(acc, k128), x[i]);
    return finish128(acc, data, n);
}

// Sixteen independent 128-bit streams in eight 256-bit registers, for processors with the wide
// carry-less multiply but without 512-bit registers.
PARVEX_TARGET_VPCLMUL256 std::uint16_t wordsVpclmul256(std::uint16_t crc, const std::uint8_t* data, std::size_t n) {
    constexpr std::size_t kRegs = 8;
    constexpr std::size_t kStride = 32 * kRegs;
    if (n < 2 * kStride) return wordsPclmul(crc, data, n);

    const __m256i order = _mm256_load_si256(reinterpret_cast<const __m256i*>(kWordReverse.bytes));
    __m256i y[kRegs];
    y[0] = _mm256_shuffle_epi8(
        _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(data)), _mm256_set_epi64x(0, 0, 0, crc)),
        order);
    for (std::size_t i = 1; i < kRegs; ++i) y[i] = load256(data + 32 * i, order);
    data += kStride;
    n -= kStride;

    // Each 128-bit lane moves forward by the whole stride.
    const __m256i k2048 = factors256(kFold2048);
    for (; n >= kStride; data += kStride, n -= kStride) {
#pragma GCC unroll 8
        for (std::size_t i = 0; i < kRegs; ++i) y[i] = fold256(y[i], k2048, load256(data + 32 * i, order));
    }

    const __m256i k256 = factors256(kFold256);
    __m256i acc = y[0];
    for (std::size_t i = 1; i < kRegs; ++i) acc = fold256(acc, k256, y[i]);
    for (; n >= 32; data += 32, n -= 32) acc = fold256(acc, k256, load256(data, order));

    // The low lane holds the older run.
    const __m128i lane =
        _mm_xor_si128(fold128(_mm256_castsi256_si128(acc), factors128(kFold128)), _mm256_extracti128_si256(acc, 1));
    return finish128(lane, data, n);
}

PARVEX_TARGET_VPCLMUL std::uint16_t wordsVpclmul(std::uint16_t crc, const std::uint8_t* data, std::size_t n) {
    constexpr std::size_t kRegs = 4;
    constexpr std::size_t kStride = 64 * kRegs;
    if (n < 2 * kStride) return wordsPclmul(crc, data, n);

    const __m512i order = _mm512_load_si512(kWordReverse.bytes);
    __m512i z[kRegs];
    z[0] = _mm512_shuffle_epi8(
        _mm512_xor_si512(_mm512_loadu_si512(data), _mm512_zextsi128_si512(_mm_cvtsi32_si128(crc))), order);
    for (std::size_t i = 1; i < kRegs; ++i) z[i] = load512(data + 64 * i, order);
    data += kStride;
    n -= kStride;

    // Each 128-bit lane moves forward by the whole stride.
    const __m512i k2048 = factors512(kFold2048);
    for (; n >= kStride; data += kStride, n -= kStride) {
#pragma GCC unroll 4
        for (std::size_t i = 0; i < kRegs; ++i) z[i] = fold512(z[i], k2048, load512(data + 64 * i, order));
    }

    const __m512i k512 = factors512(kFold512);
    __m512i acc = z[0];
    for (std::size_t i = 1; i < kRegs; ++i) acc = fold512(acc, k512, z[i]);
    for (; n >= 64; data += 64, n -= 64) acc = fold512(acc, k512, load512(data, order));

    // Lane 0 holds the oldest run.
    const __m128i k128 = factors128(kFold128);
    __m128i lane = _mm512_maskz_extracti32x4_epi32(0xF, acc, 0);
    lane = _mm_xor_si128(fold128(lane, k128), _mm512_maskz_extracti32x4_epi32(0xF, acc, 1));
    lane = _mm_xor_si128(fold128(lane, k128), _mm512_maskz_extracti32x4_epi32(0xF, acc, 2));
    lane = _mm_xor_si128(fold128(lane, k128), _mm512_maskz_extracti32x4_epi32(0xF, acc, 3));
    return finish128(lane, data, n);
}

}  // namespace parvex::ccitt

#else

namespace parvex::ccitt {

bool pclmulSupported() { return false; }
bool vpclmul256Supported() {
    const CpuFeatures& f = cpuFeatures();
    return pclmulSupported() && f.avx2 && f.vpclmul;
}

bool vpclmulSupported() { return false; }
bool vpclmul256Supported() { return false; }
std::uint16_t wordsVpclmul256(std::uint16_t crc, const std::uint8_t* data, std::size_t n) {
    return wordsTable(crc, data, n);
}
std::uint16_t wordsPclmul(std::uint16_t crc, const std::uint8_t* data, std::size_t n) {
    return wordsTable(crc, data, n);
}
std::uint16_t wordsVpclmul(std::uint16_t crc, const std::uint8_t* data, std::size_t n) {
    return wordsTable(crc, data, n);
}

}  // namespace parvex::ccitt

#endif
