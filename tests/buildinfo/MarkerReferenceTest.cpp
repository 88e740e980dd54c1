#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "MarkerImages.h"
#include "tests/support/SimdSkip.h"

namespace parvex {
namespace {

using test::Bytes;
using test::put;

constexpr std::size_t kWindow = 16384;
constexpr std::size_t kMiB = 1u << 20;
const std::vector<std::size_t> kSmallBlocks{512, 700, 4096, ImageFile::kBlockSize};
const std::vector<std::size_t> kFullBlocks{ImageFile::kBlockSize};

const auto kAllPaths = testing::Values(MarkerPath::Portable, MarkerPath::Avx2, MarkerPath::Avx512);

std::string pathParamName(const testing::TestParamInfo<MarkerPath>& p) { return test::pathName(p.param); }

// One search path at every read size, and the two scans as the run calls them, against the reference.
void expectSameAsReference(MarkerPath p, const Bytes& image, const std::string& what,
                           const std::vector<std::size_t>& blockSizes = kSmallBlocks) {
    const test::ScanOutcome expected = test::referenceOutcome(image);
    test::TempDir dir;
    const std::string path = dir.write("image.srl", image);
    for (std::size_t blockSize : blockSizes) {
        EXPECT_EQ(test::pathOutcome(path, image.size(), p, blockSize), expected)
            << what << ", path " << test::pathName(p) << ", reads of " << blockSize;
        if (testing::Test::HasFailure()) return;
    }
    EXPECT_EQ(test::scanOutcome(image), expected) << what << ", as the run calls the scans";
}

// Each search path is a test of its own; a path this processor lacks is reported as skipped.
class MarkerScanAgainstReference : public testing::TestWithParam<MarkerPath> {
protected:
    void SetUp() override {
        if (!markerPathAvailable(GetParam())) GTEST_SKIP() << test::whyUnavailable(GetParam());
    }
    void expectSameAsReference(const Bytes& image, const std::string& what,
                               const std::vector<std::size_t>& blockSizes = kSmallBlocks) {
        parvex::expectSameAsReference(GetParam(), image, what, blockSizes);
    }
};

class Soup {
public:
    explicit Soup(std::uint32_t seed) : m_rng(seed) {}

    std::size_t below(std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(m_rng);
    }
    std::uint8_t byte() { return static_cast<std::uint8_t>(below(256)); }

    std::string field() {
        static const std::vector<std::string> kNamed{
            "VELTRANE",          "KELBO",          "TORVEN", "QTM", "RVN", "ACME", "Kiro1.2.20000.0830",
            "HLX-DL3.0.30100.B", "HLX2.1.20203.X", "kelbo"};
        if (below(3) == 0) return kNamed[below(kNamed.size())];
        std::string s;
        const std::size_t n = below(75);
        static const std::string kChars("AB[SDK+:]\0z.0123456789", 22);  // the NUL is one of them
        for (std::size_t k = 0; k < n; ++k) s += kChars[below(kChars.size())];
        return s;
    }

    Bytes token() {
        switch (below(12)) {
            case 0: return test::sdkMarker(byte(), byte(), static_cast<std::uint16_t>(below(65536)));
            case 1: return test::middlewareMarker(field(), field());
            case 2: return test::text("[SDK+" + field() + (below(2) ? ":" : "") + field() + (below(2) ? "]" : ""));
            case 3: return test::text(std::string("[SDK+[SDK+[SDK").substr(0, 1 + below(14)));
            case 4: return Bytes(kSdkMagic.begin(), kSdkMagic.begin() + static_cast<std::ptrdiff_t>(1 + below(8)));
            case 5: return Bytes(kSdkMagic.begin() + static_cast<std::ptrdiff_t>(below(8)), kSdkMagic.end());
            case 6: {
                // Magics sharing their first and last byte.
                Bytes b(kSdkMagic.begin(), kSdkMagic.end());
                for (std::size_t k = below(4); k > 0; --k) b.insert(b.end(), kSdkMagic.begin() + 1, kSdkMagic.end());
                return b;
            }
            case 7: {
                static const Bytes kAlphabet{0x21, 0x06, 0xC0, 0xDE, '[', 'S', 'D', 'K', '+', ':', ']', 0};
                Bytes b(1 + below(40));
                for (auto& x : b) x = kAlphabet[below(kAlphabet.size())];
                return b;
            }
            default: {
                Bytes b(1 + below(300));
                for (auto& x : b) x = byte();
                return b;
            }
        }
    }

    Bytes image(std::size_t size) {
        Bytes image;
        while (image.size() < size) {
            const Bytes t = token();
            image.insert(image.end(), t.begin(), t.end());
        }
        image.resize(size);
        return image;
    }

    // Random bytes with markers dropped at random places.
    Bytes sparse(std::size_t size, std::size_t markers) {
        Bytes image(size);
        for (auto& x : image) x = byte();
        for (std::size_t k = 0; k < markers && size > 0; ++k) {
            const Bytes t = below(2) ? test::sdkMarker(byte(), byte(), static_cast<std::uint16_t>(below(65536)))
                                     : test::middlewareMarker(field(), field());
            const std::size_t at = below(size);
            for (std::size_t i = 0; i < t.size() && at + i < size; ++i) image[at + i] = t[i];
        }
        return image;
    }

private:
    std::mt19937 m_rng;
};

TEST_P(MarkerScanAgainstReference, RandomImagesWithMarkers) {
    Soup soup(4101);
    for (int round = 0; round < 40; ++round) {
        const std::size_t size = soup.below(5 * kWindow);
        expectSameAsReference(soup.sparse(size, soup.below(60)), "sparse round " + std::to_string(round));
        if (HasFailure()) return;
    }
}

TEST_P(MarkerScanAgainstReference, ImagesDenseWithPartialAndOverlappingMarkers) {
    Soup soup(1423);
    for (int round = 0; round < 40; ++round) {
        const std::size_t size = soup.below(4 * kWindow + 500);
        expectSameAsReference(soup.image(size), "dense round " + std::to_string(round));
        if (HasFailure()) return;
    }
}

// The pass hands the scan chunks of whatever sizes it reads: from single bytes to whole MiB, each
// chunking must give the reference's rows.
TEST_P(MarkerScanAgainstReference, RandomChunkingsOfOnePass) {
    std::mt19937 rng(41);
    for (int round = 0; round < 24; ++round) {
        Soup soup(static_cast<std::uint32_t>(round));
        const Bytes image = soup.image(round < 8 ? soup.below(3 * kWindow) : kWindow + soup.below(6 * kWindow));
        const test::ScanOutcome expected = test::referenceOutcome(image);
        {
            const MarkerPath p = GetParam();
            MarkerPassScan scan(image.size(), arm9ModuleOf(image), p, MarkerScanKinds::Both);
            std::size_t at = 0;
            while (at < image.size()) {
                const std::size_t limit = rng() % 3 == 0 ? 2000 : rng() % 2 == 0 ? 600 : 3;
                const std::size_t n = std::min<std::size_t>(1 + rng() % limit, image.size() - at);
                ASSERT_EQ(scan.wants().from, at);
                scan.take(at, std::span(image).subspan(at, n));
                at += n;
            }
            scan.end();
            Session s{""};
            test::prepare(s, image.size());
            MarkerScanResult found = std::move(scan).result();
            s.model.sdkRows = std::move(found.sdkRows);
            if (publishMiddlewareScan(s.model, found.middleware)) s.state.Final_Build = 0;
            ASSERT_EQ(test::outcomeOf(s), expected) << "round " << round << ", path " << test::pathName(p);
        }
    }
}

TEST_P(MarkerScanAgainstReference, ImagesSmallerThanOneWindow) {
    Soup soup(77);
    for (std::size_t size :
         {0u, 1u, 4u, 5u, 7u, 8u, 11u, 12u, 13u, 47u, 48u, 49u, 100u, 255u, 256u, 257u, 16383u, 16384u, 16385u}) {
        expectSameAsReference(soup.image(size), "dense image of " + std::to_string(size) + " bytes");
        if (HasFailure()) return;
    }
}

TEST_P(MarkerScanAgainstReference, MarkersOnEveryPositionAroundWindowEnds) {
    Soup soup(16384);
    for (std::size_t k = 1; k <= 3; ++k) {
        for (std::size_t at = k * kWindow - 12; at <= k * kWindow + 8; ++at) {
            const std::string where = " at " + std::to_string(at);
            Bytes image = soup.sparse(4 * kWindow + 100, 0);
            put(image, at - 4, test::sdkMarker(4, 2, 30102));
            expectSameAsReference(image, "SDK marker" + where, kFullBlocks);
            image = soup.sparse(4 * kWindow + 100, 0);
            put(image, at, test::middlewareMarker(soup.field(), soup.field()));
            expectSameAsReference(image, "middleware marker" + where, kFullBlocks);
            // A middleware marker whose fields cover an SDK marker and another opening.
            image = soup.sparse(4 * kWindow + 100, 0);
            put(image, at, test::text("[SDK+AB:C"));
            put(image, at + 9, test::sdkMarker(1, 1, 1));
            put(image, at + 21, test::middlewareMarker("VELTRANE", "KELBO"));
            expectSameAsReference(image, "nested markers" + where, kFullBlocks);
            if (HasFailure()) return;
        }
    }
}

// Around the end of the first 1 MiB read, where the real scan joins its reads.
TEST_P(MarkerScanAgainstReference, MarkersOnEveryPositionAroundReadEnds) {
    Soup soup(2026);
    const Bytes base = soup.sparse(kMiB + 3 * kWindow, 0);
    for (std::size_t at = kMiB - 340; at <= kMiB + 16; ++at) {
        Bytes image = base;
        put(image, at - 4, test::sdkMarker(2, 0, 10100));
        put(image, at + 8, test::text("[SDK+VELTRANE:KELBO]"));
        expectSameAsReference(image, "markers at " + std::to_string(at), kFullBlocks);
        if (HasFailure()) return;
    }
}

TEST_P(MarkerScanAgainstReference, FieldsRunningPastEndOfFile) {
    Soup soup(99);
    for (std::size_t tail = 0; tail <= 110; ++tail) {
        Bytes image = soup.sparse(kWindow + 3000, 0);
        const std::size_t at = image.size() - tail;
        for (std::size_t i = 0; at + i < image.size(); ++i)
            image[at + i] = static_cast<std::uint8_t>("[SDK+ABCDEFGHIJ:KLMNOP"[i % 22]);
        expectSameAsReference(image, "opening " + std::to_string(tail) + " bytes before the end");
        if (HasFailure()) return;
    }
}

TEST_P(MarkerScanAgainstReference, SdkMagicsAtOffsetsZeroToThree) {
    for (std::size_t at = 0; at < 4; ++at) {
        Bytes image(3 * kWindow, 0x5A);
        put(image, at, Bytes(kSdkMagic.begin(), kSdkMagic.end()));
        expectSameAsReference(image, "magic at " + std::to_string(at));
        if (HasFailure()) return;
    }
}

Bytes repeated(const Bytes& unit, std::size_t size) {
    Bytes image(size);
    for (std::size_t i = 0; i < size; ++i) image[i] = unit[i % unit.size()];
    return image;
}

struct FullRow {
    const char* name;
    Bytes unit;
};

void PrintTo(const FullRow& row, std::ostream* os) { *os << row.name; }

class FullImages : public testing::TestWithParam<std::tuple<MarkerPath, FullRow>> {
protected:
    void SetUp() override {
        const MarkerPath p = std::get<0>(GetParam());
        if (!markerPathAvailable(p)) GTEST_SKIP() << test::whyUnavailable(p);
    }
};

TEST_P(FullImages, SameAsReference) {
    for (std::size_t size : {kWindow - 3, 3 * kWindow + 77}) {
        const auto& [p, row] = GetParam();
        expectSameAsReference(p, repeated(row.unit, size), std::string(row.name) + " of " + std::to_string(size));
        if (HasFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FullImages,
    testing::Combine(kAllPaths,
                     testing::Values(FullRow{"OpeningsBackToBackMisread", test::text("[SDK+")},
                                     FullRow{"EmptyFieldMarkersMisread", test::text("[SDK+:]")},
                                     FullRow{"HiddenMarkersListed", test::text("[SDK+V:QTM]")},
                                     FullRow{"NonFinalMarkersMissed", test::text("[SDK+VELTRANE:KELBO]")},
                                     FullRow{"MagicsSharingEndByteMissed",
                                             Bytes(kSdkMagic.begin(), kSdkMagic.end() - 1)},
                                     FullRow{"MagicsBackToBackMissed", Bytes(kSdkMagic.begin(), kSdkMagic.end())},
                                     FullRow{"MagicEndByteStormMisread", Bytes{0x21}},
                                     FullRow{"OpeningByteStormMisread", test::text("[")},
                                     FullRow{"FirstAndLastByteTakenForOpening", test::text("[xyz+")})),
    [](const auto& param) {
        return std::string(test::pathName(std::get<0>(param.param))) + "_" + std::get<1>(param.param).name;
    });

INSTANTIATE_TEST_SUITE_P(Paths, MarkerScanAgainstReference, kAllPaths, pathParamName);

}  // namespace
}  // namespace parvex
