#include "integrity/CcittCrc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "ReferenceCrc.h"
#include "tests/support/SimdSkip.h"

namespace parvex {

void PrintTo(CcittPath path, std::ostream* out);

namespace {

std::vector<std::uint8_t> randomBytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> data(n);
    for (auto& b : data) b = static_cast<std::uint8_t>(rng());
    return data;
}

std::string pathName(CcittPath path) {
    switch (path) {
        case CcittPath::Table: return "Table";
        case CcittPath::Pclmul: return "Pclmul";
        case CcittPath::Vpclmul256: return "Vpclmul256";
        case CcittPath::Vpclmul: return "Vpclmul";
    }
    return "Unknown";
}

// A temporary image file, removed when the test ends.
class TempImage {
public:
    explicit TempImage(const std::vector<std::uint8_t>& bytes) {
        static int counter = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("parvex_crc_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".bin");
        std::ofstream out(m_path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    ~TempImage() { std::filesystem::remove(m_path); }
    TempImage(const TempImage&) = delete;
    TempImage& operator=(const TempImage&) = delete;

    ImageFile open() const {
        auto file = ImageFile::open(m_path.string());
        EXPECT_TRUE(file.has_value());
        return std::move(*file);
    }

private:
    std::filesystem::path m_path;
};

TEST(CcittReference, LiteralUpdateGivesCatalogueCheckValue) {
    std::uint16_t crc = 0;
    for (char c : std::string("123456789")) crc = reference::ccittUpdate(crc, static_cast<std::uint8_t>(c));
    EXPECT_EQ(crc, 0x31C3);
}

struct CatalogueRow {
    const char* fault;
    std::vector<std::uint8_t> bytes;
    std::uint16_t expected;
};

class CcittCatalogue : public testing::TestWithParam<std::tuple<CcittPath, CatalogueRow>> {};

TEST_P(CcittCatalogue, FileAndBufferMatchPublishedValue) {
    const auto [path, row] = GetParam();
    if (!ccittPathAvailable(path)) GTEST_SKIP() << test::whyUnavailable(path);
    EXPECT_EQ(pairSwapCcitt(path, row.bytes.data(), row.bytes.size()), row.expected);
    TempImage image(row.bytes);
    auto file = image.open();
    EXPECT_EQ(crc16_ccitt_file(file, path), row.expected);
}

const CatalogueRow kCatalogue[] = {
    {"PairsNotSwapped", {0x01, 0x02, 0x03, 0x04}, 0x26FF},
    {"OddTrailingByteFed", {0x01, 0x02, 0x03, 0x04, 0x05}, 0x26FF},
    {"EmptyFileNotZero", {}, 0x0000},
    {"LoneByteFed", {0x7E}, 0x0000},
};

INSTANTIATE_TEST_SUITE_P(
    Rows, CcittCatalogue,
    testing::Combine(testing::Values(CcittPath::Table, CcittPath::Pclmul, CcittPath::Vpclmul256, CcittPath::Vpclmul),
                     testing::ValuesIn(kCatalogue)),
    [](const auto& param) { return pathName(std::get<0>(param.param)) + "_" + std::get<1>(param.param).fault; });

class CcittPaths : public testing::TestWithParam<CcittPath> {
protected:
    void SetUp() override {
        if (!ccittPathAvailable(GetParam())) GTEST_SKIP() << test::whyUnavailable(GetParam());
    }
};

TEST_P(CcittPaths, RunsTheRequestedPath) { EXPECT_EQ(PairSwapCcitt(GetParam()).path(), GetParam()); }

// The wide paths start folding only at a few hundred bytes; every alignment of the start must agree.
TEST_P(CcittPaths, EveryStartOffsetMatchesLiteral) {
    const auto data = randomBytes(4096 + 64, 77);
    for (std::size_t off = 0; off < 64; ++off) {
        const std::vector<std::uint8_t> part(data.begin() + static_cast<std::ptrdiff_t>(off), data.end());
        ASSERT_EQ(pairSwapCcitt(GetParam(), data.data() + off, part.size()), reference::literalPairSwapCcitt(part))
            << "offset " << off;
    }
}

TEST_P(CcittPaths, EverySmallSizeMatchesLiteral) {
    // Covers each switch between table, 16-byte, 64-byte and multi-register folding.
    const auto data = randomBytes(1300, 31);
    for (std::size_t n = 0; n <= data.size(); ++n) {
        const std::vector<std::uint8_t> part(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
        ASSERT_EQ(pairSwapCcitt(GetParam(), part.data(), n), reference::literalPairSwapCcitt(part)) << "size " << n;
    }
}

TEST_P(CcittPaths, LargeSizesMatchLiteral) {
    for (const std::size_t n : {4096u + 1u, 65536u + 250u, (1u << 20) + 1u, (3u << 20) + 6u, (5u << 20) + 17u}) {
        const auto data = randomBytes(n, static_cast<std::uint32_t>(n));
        ASSERT_EQ(pairSwapCcitt(GetParam(), data.data(), n), reference::literalPairSwapCcitt(data)) << "size " << n;
    }
}

TEST_P(CcittPaths, RandomChunkingSplittingPairsMatchesLiteral) {
    std::mt19937 rng(3);
    for (int round = 0; round < 12; ++round) {
        const std::size_t n = rng() % (round < 6 ? 5000u : (3u << 20));
        const auto data = randomBytes(n, static_cast<std::uint32_t>(rng()));
        PairSwapCcitt crc(GetParam());
        std::size_t at = 0;
        while (at < n) {
            const std::size_t limit = (rng() % 4 == 0) ? 3000u : 40u;
            const std::size_t chunk = std::min<std::size_t>(rng() % limit, n - at);
            crc.update(data.data() + at, chunk);
            at += chunk;
        }
        ASSERT_EQ(crc.value(), reference::literalPairSwapCcitt(data)) << "round " << round << " size " << n;
    }
}

TEST_P(CcittPaths, FilesAcrossBlockBoundariesMatchLiteral) {
    constexpr std::size_t kBlock = ImageFile::kBlockSize;
    for (const std::size_t n : {kBlock - 1, kBlock, kBlock + 1, 2 * kBlock + 3, 3 * kBlock + 1024}) {
        const auto data = randomBytes(n, static_cast<std::uint32_t>(n) ^ 0x5A5Au);
        TempImage image(data);
        auto file = image.open();
        ASSERT_EQ(crc16_ccitt_file(file, GetParam()), reference::literalPairSwapCcitt(data)) << "size " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(All, CcittPaths,
                         testing::Values(CcittPath::Table, CcittPath::Pclmul, CcittPath::Vpclmul256,
                                         CcittPath::Vpclmul),
                         [](const auto& param) { return pathName(param.param); });

TEST(CcittFile, DefaultPathMatchesLiteral) {
    const auto data = randomBytes(2 * ImageFile::kBlockSize + 5, 99);
    TempImage image(data);
    auto file = image.open();
    EXPECT_EQ(crc16_ccitt_file(file), reference::literalPairSwapCcitt(data));
}

std::uint16_t literalSegment3(const std::vector<std::uint8_t>& image) {
    const std::size_t begin = std::min<std::size_t>(0x3000, image.size());
    const std::size_t end = std::min<std::size_t>(0x4000, image.size());
    return reference::literalPairSwapCcitt(
        {image.begin() + static_cast<std::ptrdiff_t>(begin), image.begin() + static_cast<std::ptrdiff_t>(end)});
}

TEST(CcittSegment3, OnlyBytesOfTheSegmentCount) {
    auto bytes = randomBytes(0x8000, 7);
    TempImage first(bytes);
    auto firstFile = first.open();
    const auto expected = crc16_ccitt_segment3(firstFile);
    EXPECT_EQ(expected, literalSegment3(bytes));

    auto changed = randomBytes(0x8000, 8);
    std::copy(bytes.begin() + 0x3000, bytes.begin() + 0x4000, changed.begin() + 0x3000);
    TempImage second(changed);
    auto secondFile = second.open();
    crc16_ccitt_file(secondFile);  // leaves the reader elsewhere; the segment must not care
    EXPECT_EQ(crc16_ccitt_segment3(secondFile), expected);

    changed[0x3FFF] ^= 0x01;
    TempImage third(changed);
    auto thirdFile = third.open();
    EXPECT_NE(crc16_ccitt_segment3(thirdFile), expected);
}

TEST(CcittSegment3, ShortImagesTakeOnlyWholePairsThatExist) {
    for (const std::size_t n : {0x0000u, 0x2FFFu, 0x3000u, 0x3001u, 0x3005u, 0x3FFFu, 0x4000u, 0x4001u}) {
        const auto bytes = randomBytes(n, static_cast<std::uint32_t>(n));
        TempImage image(bytes);
        auto file = image.open();
        EXPECT_EQ(crc16_ccitt_segment3(file), literalSegment3(bytes)) << "size " << n;
    }
}

}  // namespace

void PrintTo(CcittPath path, std::ostream* out) { *out << pathName(path); }

}  // namespace parvex
