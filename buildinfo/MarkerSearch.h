#pragma once

// Finding the two build markers in a buffer: candidates from each marker's first and last byte,
// confirmed by a full comparison, both markers in one pass.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace parvex {

// The SDK version marker's magic: the words 0xDEC00621 and 0x2106C0DE, little-endian.
inline constexpr std::array<std::uint8_t, 8> kSdkMagic{0x21, 0x06, 0xC0, 0xDE, 0xDE, 0xC0, 0x06, 0x21};
// The opening of a middleware marker.
inline constexpr std::array<std::uint8_t, 5> kMiddlewareOpening{'[', 'S', 'D', 'K', '+'};

// Ways of searching. All find the same markers; they differ in speed and in the processor
// features they need.
enum class MarkerPath { Portable, Avx2, Avx512 };

// Whether this processor (and its operating system) can run the path. Portable always can.
bool markerPathAvailable(MarkerPath path);

// The quickest path this processor can run, chosen once.
MarkerPath fastestMarkerPath();

const char* markerPathName(MarkerPath path);

enum class MarkerKind : std::uint8_t { Sdk, Middleware };

struct MarkerHit {
    std::size_t index;  // of the marker's first byte in the searched buffer
    MarkerKind kind;
};

// Stores, in ascending order, every marker that starts at an index in [from, to) and lies whole
// inside data. Stops early only when out is nearly full (each step needs 64 free places, so out
// must hold at least 64); returns the index to continue from, to when done, and adds to count the
// hits it stored. A path this processor lacks runs as Portable.
std::size_t findMarkers(MarkerPath path, std::span<const std::uint8_t> data, std::size_t from, std::size_t to,
                        std::span<MarkerHit> out, std::size_t& count);

namespace markers {

// One step of a search path: the same contract as findMarkers, but it may stop before to
// whenever its wide loads would pass the end of data; the portable loop takes the rest.
using Kernel = std::size_t (*)(const std::uint8_t* data, std::size_t size, std::size_t from, std::size_t to,
                               MarkerHit* out, std::size_t cap, std::size_t& count);

bool avx2Supported();
bool avx512Supported();
std::size_t findAvx2(const std::uint8_t* data, std::size_t size, std::size_t from, std::size_t to, MarkerHit* out,
                     std::size_t cap, std::size_t& count);
std::size_t findAvx512(const std::uint8_t* data, std::size_t size, std::size_t from, std::size_t to, MarkerHit* out,
                       std::size_t cap, std::size_t& count);

// Checks the candidate bits of one step (bit b for index base + b) and stores the whole markers.
inline void confirmCandidates(const std::uint8_t* data, std::size_t base, std::uint64_t bits, MarkerHit* out,
                              std::size_t& count) {
    while (bits != 0) {
        const std::size_t at = base + static_cast<std::size_t>(__builtin_ctzll(bits));
        bits &= bits - 1;
        const std::uint8_t* p = data + at;
        bool whole = true;
        if (p[0] == kSdkMagic[0]) {
            for (std::size_t k = 1; k + 1 < kSdkMagic.size(); ++k) whole = whole && p[k] == kSdkMagic[k];
            if (whole) out[count++] = {at, MarkerKind::Sdk};
        } else {
            for (std::size_t k = 1; k + 1 < kMiddlewareOpening.size(); ++k)
                whole = whole && p[k] == kMiddlewareOpening[k];
            if (whole) out[count++] = {at, MarkerKind::Middleware};
        }
    }
}

}  // namespace markers
}  // namespace parvex
