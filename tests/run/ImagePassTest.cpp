#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/Findings.h"
#include "core/Format.h"
#include "run/ImagePass.h"
#include "run/Session.h"
#include "tests/buildinfo/MarkerImages.h"
#include "tests/integrity/ReferenceCrc.h"
#include "tests/support/TempDir.h"
#include "tools/SampleImage.h"

namespace parvex {
namespace {

using test::Bytes;

constexpr std::size_t kMiB = 1 << 20;

// The padding rule written out on the image in memory: above 64 Mbit and 8 MiB, a half that is a
// whole number of 16 KiB blocks and holds one byte value throughout.
std::uint32_t literalHalfPadded(const Bytes& image, std::uint8_t code) {
    if (code <= 0x06 || image.size() <= 0x800000) return 0;
    const std::size_t half = image.size() / 2;
    if (half % 16384 != 0) return 0;
    for (std::size_t i = half; i < 2 * half; ++i)
        if (image[i] != image[half]) return 0;
    return 1;
}

Bytes imageWithMarkers(std::size_t size, std::uint32_t seed, bool padded) {
    std::mt19937 rng(seed);
    Bytes image(size);
    for (auto& b : image) b = static_cast<std::uint8_t>(rng());
    if (padded) std::fill(image.begin() + static_cast<std::ptrdiff_t>(size / 2), image.end(), 0xFF);
    const std::size_t end = padded ? size / 2 : size;
    for (int k = 0; k < 40; ++k) {
        const std::size_t at = 0x30 + rng() % (end - 0x30 - 200);
        if (k % 2) test::put(image, at, test::sdkMarker(static_cast<std::uint8_t>(rng()), 1, 30001));
        else test::put(image, at, test::middlewareMarker(k % 3 ? "ACME" : "VELTRANE", k % 5 ? "SOUNDLIB" : "KELBO"));
    }
    test::putLe32(image, 0x020, 0x4000);
    test::putLe32(image, 0x02C, 0x80000);
    image[kDeviceCapacity] = 0x07;
    return image;
}

struct PassRow {
    const char* fault;
    std::size_t size;
    bool padded;
};

class OnePass : public testing::TestWithParam<PassRow> {};

// Every consumer of one shared pass, in several chunk sizes, against its literal reference.
TEST_P(OnePass, EveryConsumerMatchesItsReference) {
    const PassRow& row = GetParam();
    const Bytes image = imageWithMarkers(row.size, static_cast<std::uint32_t>(row.size), row.padded);
    test::TempDir dir;
    const std::string path = dir.write("image.srl", image);
    const test::ScanOutcome markers = test::referenceOutcome(image);
    const std::uint16_t fileCrc = reference::literalPairSwapCcitt(image);
    const auto region = [&](std::size_t from, std::size_t n) {
        Bytes r(n, 0);
        for (std::size_t i = 0; i < n && from + i < image.size(); ++i) r[i] = image[from + i];
        return r;
    };
    const Bytes segment3 = region(
        kSegment3Offset,
        std::min<std::size_t>(kSegment3Size, image.size() > kSegment3Offset ? image.size() - kSegment3Offset : 0));
    for (std::size_t chunk : {std::size_t{512}, std::size_t{4099}, std::size_t{65536}, kPassChunkSize}) {
        auto file = ImageFile::open(path);
        ASSERT_TRUE(file);
        ImagePassRequest request{.capacityCode = 0x07,
                                 .fileSize = image.size(),
                                 .arm9 = arm9ModuleOf(image),
                                 .fileCrc = true,
                                 .chunkSize = chunk};
        ImagePassResult pass = runImagePass(*file, request);
        EXPECT_EQ(pass.halfPadded, literalHalfPadded(image, 0x07)) << "chunks of " << chunk;
        EXPECT_EQ(pass.tailUsed, 0u);
        EXPECT_EQ(pass.segment3, segment3) << "chunks of " << chunk;
        EXPECT_EQ(pass.fileCrc, fileCrc) << "chunks of " << chunk;
        Session s{""};
        test::prepare(s, image.size());
        s.model.sdkRows = std::move(pass.markers.sdkRows);
        if (publishMiddlewareScan(s.model, pass.markers.middleware)) s.state.Final_Build = 0;
        EXPECT_EQ(test::outcomeOf(s), markers) << "chunks of " << chunk;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, OnePass,
                         testing::Values(PassRow{"RandomImageAbove8MiB", 8 * kMiB + 16384, false},
                                         PassRow{"PaddedSecondHalf", 8 * kMiB + 32768, true},
                                         PassRow{"HalfNotWholeBlocks", 8 * kMiB + 1000, true},
                                         PassRow{"SmallImageNoPaddingScan", 300000, true},
                                         PassRow{"ImageEndingInsideSegment3", 0x3801, false}),
                         [](const auto& param) { return std::string(param.param.fault); });

TEST(OnePass, NoCrcAskedNoneComputed) {
    const Bytes image = imageWithMarkers(200000, 1, false);
    test::TempDir dir;
    auto file = ImageFile::open(dir.write("image.srl", image));
    ASSERT_TRUE(file);
    EXPECT_FALSE(runImagePass(*file, {.fileSize = image.size(), .arm9 = {}}).fileCrc.has_value());
}

// The whole run, with the file CRC asked for, reads the image once and agrees with the CRC button.
TEST(OnePass, RunWithFileCrcReadsEachByteOnceAndMatchesTheButton) {
    auto image = buildSampleImage(sampleOptionsForName("QPVXJ00.SRL"));
    image.resize(8 * kMiB + 16384, 0xFF);
    image[kDeviceCapacity] = 0x07;
    finalizeChecksums(image);
    test::TempDir dir;
    const std::string path = dir.write("QPVXJ00.SRL", image);
    Session withCrc{dir.path().string()};
    withCrc.fileCrcInRun = true;
    const std::uint64_t before = ImageFile::bytesReadByProcess();
    withCrc.load(path);
    const std::uint64_t read = ImageFile::bytesReadByProcess() - before;
    // Beside the pass only the header and the system call line are read; every other region and
    // every text of the header come from those two reads and the pass.
    EXPECT_LE(read, image.size() + kHeaderSize + 32);
    Session button{dir.path().string()};
    button.load(path);
    EXPECT_EQ(button.model.text(Field::CRC_ans), "");
    button.computeFileCrc();
    EXPECT_EQ(withCrc.model.text(Field::CRC_ans), button.model.text(Field::CRC_ans));
    EXPECT_EQ(withCrc.model.text(Field::CRC_ans), hex4(reference::literalPairSwapCcitt(image)));
}

}  // namespace
}  // namespace parvex
