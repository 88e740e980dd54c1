#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "MarkerImages.h"
#include "buildinfo/MarkerSearch.h"
#include "tests/support/SimdSkip.h"

namespace parvex {
namespace {

struct Found {
    std::size_t index;
    MarkerKind kind;
    bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Found& f) {
    return os << (f.kind == MarkerKind::Sdk ? "sdk@" : "middleware@") << f.index;
}

bool matchesAt(const std::vector<std::uint8_t>& data, std::size_t at, std::span<const std::uint8_t> marker) {
    if (at + marker.size() > data.size()) return false;
    return std::equal(marker.begin(), marker.end(), data.begin() + static_cast<std::ptrdiff_t>(at));
}

std::vector<Found> bruteForce(const std::vector<std::uint8_t>& data, std::size_t from, std::size_t to) {
    std::vector<Found> found;
    for (std::size_t at = from; at < to && at < data.size(); ++at) {
        if (matchesAt(data, at, kSdkMagic)) found.push_back({at, MarkerKind::Sdk});
        if (matchesAt(data, at, kMiddlewareOpening)) found.push_back({at, MarkerKind::Middleware});
    }
    return found;
}

// Calls findMarkers until it is done, draining an output of the given capacity each time.
std::vector<Found> search(MarkerPath path, const std::vector<std::uint8_t>& data, std::size_t from, std::size_t to,
                          std::size_t capacity) {
    std::vector<MarkerHit> out(capacity);
    std::vector<Found> found;
    std::size_t at = from;
    for (int guard = 0; guard < 100000; ++guard) {
        std::size_t count = 0;
        const std::size_t next = findMarkers(path, data, at, to, out, count);
        for (std::size_t i = 0; i < count; ++i) found.push_back({out[i].index, out[i].kind});
        if (next >= std::min(to, data.size())) return found;
        EXPECT_GT(next + count, at) << "no progress";
        at = next;
    }
    ADD_FAILURE() << "search does not end";
    return found;
}

// Each path is its own test; one this processor lacks is reported as skipped, with the reason.
class MarkerSearchPaths : public testing::TestWithParam<MarkerPath> {
protected:
    void SetUp() override {
        if (!markerPathAvailable(GetParam())) GTEST_SKIP() << test::whyUnavailable(GetParam());
    }
};

// Buffers of exact size, so that a sanitizer sees any read past either end.
TEST_P(MarkerSearchPaths, FindsExactlyTheWholeMarkersInsideItsRange) {
    std::mt19937 rng(5);
    static const std::vector<std::uint8_t> kAlphabet{0x21, 0x06, 0xC0, 0xDE, '[', 'S', 'D', 'K', '+', 'x'};
    {
        const MarkerPath path = GetParam();
        for (std::size_t size = 0; size <= 300; ++size) {
            std::vector<std::uint8_t> data(size);
            for (auto& b : data) b = kAlphabet[rng() % kAlphabet.size()];
            for (std::size_t k = 0; k < 6 && size > 0; ++k) {
                const std::size_t at = rng() % size;
                const bool sdk = rng() % 2 == 0;
                for (std::size_t i = 0; i < (sdk ? 8u : 5u) && at + i < size; ++i)
                    data[at + i] = sdk ? kSdkMagic[i] : kMiddlewareOpening[i];
            }
            const std::size_t from = size == 0 ? 0 : rng() % (size / 4 + 1);
            const std::size_t to = size - (size == 0 ? 0 : rng() % (size / 4 + 1));
            for (std::size_t capacity : {std::size_t{64}, std::size_t{65}, std::size_t{1024}}) {
                ASSERT_EQ(search(path, data, from, to, capacity), bruteForce(data, from, to))
                    << test::pathName(path) << ", size " << size << ", range " << from << ".." << to << ", capacity "
                    << capacity;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, MarkerSearchPaths,
                         testing::Values(MarkerPath::Portable, MarkerPath::Avx2, MarkerPath::Avx512),
                         [](const testing::TestParamInfo<MarkerPath>& p) { return test::pathName(p.param); });

}  // namespace
}  // namespace parvex
