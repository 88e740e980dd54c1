#include "buildinfo/MarkerSearch.h"

#include <cstring>

namespace parvex {
namespace {

constexpr std::size_t kStepHits = 64;

bool wholeAt(const std::uint8_t* data, std::size_t size, std::size_t at, std::span<const std::uint8_t> marker) {
    if (size - at < marker.size()) return false;
    for (std::size_t k = 0; k < marker.size(); ++k)
        if (data[at + k] != marker[k]) return false;
    return true;
}

// Bytes of t that are zero get their high bit set, exactly (no carries between bytes).
std::uint64_t zeroBytes(std::uint64_t t) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    return ~(((t & kLow7) + kLow7) | t | kLow7);
}

constexpr std::uint64_t kEachByte = 0x0101010101010101ull;

void confirmAt(const std::uint8_t* data, std::size_t size, std::size_t at, MarkerHit* out, std::size_t& count) {
    const std::uint8_t b = data[at];
    if (b == kSdkMagic[0]) {
        if (wholeAt(data, size, at, kSdkMagic)) out[count++] = {at, MarkerKind::Sdk};
    } else if (b == kMiddlewareOpening[0]) {
        if (wholeAt(data, size, at, kMiddlewareOpening)) out[count++] = {at, MarkerKind::Middleware};
    }
}

// Eight indices at a time in a plain word, then one at a time: the path for processors without
// wide registers, and the tail of the others. Words that hold neither first byte are passed whole.
std::size_t findPortable(const std::uint8_t* data, std::size_t size, std::size_t from, std::size_t to, MarkerHit* out,
                         std::size_t cap, std::size_t& count) {
    constexpr std::size_t kWord = sizeof(std::uint64_t);
    std::size_t at = from;
    for (; to - at >= kWord && count + kStepHits <= cap; at += kWord) {
        std::uint64_t word;
        std::memcpy(&word, data + at, kWord);
        if ((zeroBytes(word ^ (kSdkMagic[0] * kEachByte)) | zeroBytes(word ^ (kMiddlewareOpening[0] * kEachByte))) ==
            0)
            continue;
        for (std::size_t k = 0; k < kWord; ++k) confirmAt(data, size, at + k, out, count);
    }
    for (; at < to && count + kStepHits <= cap; ++at) confirmAt(data, size, at, out, count);
    return at;
}

markers::Kernel kernelFor(MarkerPath path) {
    switch (path) {
        case MarkerPath::Avx512: return markers::findAvx512;
        case MarkerPath::Avx2: return markers::findAvx2;
        case MarkerPath::Portable: break;
    }
    return findPortable;
}

}  // namespace

bool markerPathAvailable(MarkerPath path) {
    switch (path) {
        case MarkerPath::Avx512: return markers::avx512Supported();
        case MarkerPath::Avx2: return markers::avx2Supported();
        case MarkerPath::Portable: return true;
    }
    return false;
}

MarkerPath fastestMarkerPath() {
    static const MarkerPath fastest = markerPathAvailable(MarkerPath::Avx512) ? MarkerPath::Avx512
                                      : markerPathAvailable(MarkerPath::Avx2) ? MarkerPath::Avx2
                                                                              : MarkerPath::Portable;
    return fastest;
}

std::size_t findMarkers(MarkerPath path, std::span<const std::uint8_t> data, std::size_t from, std::size_t to,
                        std::span<MarkerHit> out, std::size_t& count) {
    if (to > data.size()) to = data.size();
    if (from >= to) return to;
    if (!markerPathAvailable(path)) path = MarkerPath::Portable;
    std::size_t at = kernelFor(path)(data.data(), data.size(), from, to, out.data(), out.size(), count);
    if (at < to) at = findPortable(data.data(), data.size(), at, to, out.data(), out.size(), count);
    return at;
}

const char* markerPathName(MarkerPath path) {
    switch (path) {
        case MarkerPath::Portable: return "portable";
        case MarkerPath::Avx2: return "avx2";
        case MarkerPath::Avx512: return "avx512";
    }
    return "?";
}

}  // namespace parvex
