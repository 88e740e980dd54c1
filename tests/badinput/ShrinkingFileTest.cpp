// An image that shrinks after the run measured its size: the scans and CRCs are given the file
// opened before the cut and must end with what the remaining bytes support, never with bytes the
// file no longer holds and never by running on.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "checks/CapacityChecks.h"
#include "core/ImageFile.h"
#include "core/RomHeader.h"
#include "integrity/CcittCrc.h"
#include "integrity/ChecksumChecks.h"
#include "run/Session.h"
#include "run/Steps.h"
#include "tests/buildinfo/MarkerImages.h"
#include "tests/support/TempDir.h"
#include "tools/SampleImage.h"

namespace parvex {
namespace {

using test::TempDir;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kMiB = 1u << 20;

// Opens path, measures it as the run does, then cuts the file to keep bytes.
struct ShrunkImage {
    ShrunkImage(const std::string& path, std::uint64_t keep) : file(ImageFile::open(path)) {
        EXPECT_TRUE(file.has_value());
        if (file) measured = file->size();
        EXPECT_EQ(truncate(path.c_str(), static_cast<off_t>(keep)), 0);
    }
    std::optional<ImageFile> file;
    std::uint64_t measured = 0;
};

Session sessionFor(const Bytes& header, std::uint64_t fileSize) {
    Session s{""};
    std::copy_n(header.begin(), std::min(header.size(), s.state.Header.size()), s.state.Header.begin());
    s.state.File_Size = fileSize;
    return s;
}

// The record of a pass made after the cut, for the header and size read before it.
ImageRecord recordAfterCut(const Session& s, ImageFile& file) {
    ImageRecord r;
    r.header = s.state.Header;
    r.fileSize = s.state.File_Size;
    r.pass =
        runImagePass(file, {.capacityCode = s.state.u8(kDeviceCapacity), .fileSize = s.state.File_Size, .arm9 = {}});
    return r;
}

bool hasLine(const Session& s, const std::string& text) {
    return std::any_of(s.model.messages.lines.begin(), s.model.messages.lines.end(),
                       [&](const MessageLine& l) { return l.text == text; });
}

// A 1 Gbit image (code 0Ah, 128 MiB) whose reserved tail is all 0xFF: sparse but for its header and tail.
std::string oneGbitImage(const TempDir& dir, Bytes& header) {
    constexpr std::uint64_t kSize = 0x8000000;
    constexpr std::uint64_t kTail = 0x280000;
    header = buildSampleImage();
    header.resize(0x4000);
    header[kDeviceCapacity] = 0x0A;
    std::string path = dir.write("big.SRL", header);
    EXPECT_EQ(truncate(path.c_str(), static_cast<off_t>(kSize - kTail)), 0);
    std::FILE* f = std::fopen(path.c_str(), "ab");
    const Bytes tail(kTail, 0xFF);
    std::fwrite(tail.data(), 1, tail.size(), f);
    std::fclose(f);
    return path;
}

struct TailRow {
    const char* name;
    std::uint64_t cut;       // bytes taken off the end after the size was measured
    std::uint32_t tailUsed;  // what the reserved-tail scan must count
};

std::ostream& operator<<(std::ostream& os, const TailRow& r) { return os << r.name; }

class ShrinkingTail : public ::testing::TestWithParam<TailRow> {};

TEST_P(ShrinkingTail, VanishedTailBytesCountAsUsed) {
    TempDir dir;
    Bytes header;
    const std::string path = oneGbitImage(dir, header);
    ShrunkImage image(path, 0x8000000 - GetParam().cut);
    ASSERT_TRUE(image.file);
    Session s = sessionFor(header, image.measured);
    runStep(s, Step::CheckCapacityLimitation, recordAfterCut(s, *image.file));
    EXPECT_EQ(s.state.Tail_Used, GetParam().tailUsed);
    EXPECT_EQ(hasLine(s, "The 1GbitROM capacity limitation is not observed."), GetParam().tailUsed != 0);
}

INSTANTIATE_TEST_SUITE_P(Cuts, ShrinkingTail,
                         ::testing::Values(TailRow{"UncutTailStaysSilent", 0, 0},
                                           TailRow{"LastByteGoneIsOneUsedByte", 1, 1},
                                           TailRow{"LastMiBGoneIsAMiBUsed", kMiB, kMiB},
                                           TailRow{"WholeTailGoneIsAllUsed", 0x280000, 0x280000},
                                           TailRow{"FileEmptiedIsAllUsed", 0x8000000, 0x280000}),
                         [](const auto& p) { return std::string(p.param.name); });

// A 128 Mbit image (code 07h) whose second half is 0xFF padding.
std::string paddedImage(const TempDir& dir, Bytes& image) {
    image = buildSampleImage();
    std::fill(image.begin() + static_cast<std::ptrdiff_t>(image.size() / 2), image.end(), 0xFF);
    return dir.write("padded.SRL", image);
}

struct PadRow {
    const char* name;
    std::uint64_t keep;
    std::uint32_t halfPadded;
};

std::ostream& operator<<(std::ostream& os, const PadRow& r) { return os << r.name; }

class ShrinkingHalf : public ::testing::TestWithParam<PadRow> {};

TEST_P(ShrinkingHalf, OnlyAWholeSecondHalfIsPadding) {
    TempDir dir;
    Bytes image;
    const std::string path = paddedImage(dir, image);
    ShrunkImage shrunk(path, GetParam().keep);
    ASSERT_TRUE(shrunk.file);
    Session s = sessionFor(image, shrunk.measured);
    runStep(s, Step::CheckWastedCapacity, recordAfterCut(s, *shrunk.file));
    EXPECT_EQ(s.state.Half_Padded, GetParam().halfPadded);
}

INSTANTIATE_TEST_SUITE_P(Cuts, ShrinkingHalf,
                         ::testing::Values(PadRow{"UncutPaddedHalfFires", kSampleSize, 1},
                                           PadRow{"LastByteGoneIsNoWholeHalf", kSampleSize - 1, 0},
                                           PadRow{"CutInsideTheHalf", kSampleSize - 5 * kMiB, 0},
                                           PadRow{"CutAtTheHalf", kSampleSize / 2, 0}, PadRow{"FileEmptied", 0, 0}),
                         [](const auto& p) { return std::string(p.param.name); });

struct CutRow {
    const char* name;
    std::uint64_t keep;
};

std::ostream& operator<<(std::ostream& os, const CutRow& r) { return os << r.name; }

class ShrinkingScans : public ::testing::TestWithParam<CutRow> {};

// The sample's first 96 KiB: its SDK marker at 4100h and two middleware markers at D000h and E000h.
Bytes markedImage() {
    Bytes image = buildSampleImage();
    image.resize(std::size_t{96} * 1024);
    return image;
}

TEST_P(ShrinkingScans, MarkerScansListWhatTheFileStillHolds) {
    TempDir dir;
    const Bytes image = markedImage();
    const std::string path = dir.write("marked.SRL", image);
    const std::uint64_t keep = std::min<std::uint64_t>(GetParam().keep, image.size());
    ShrunkImage shrunk(path, keep);
    ASSERT_TRUE(shrunk.file);
    Session s{""};
    s.fileName = path;
    test::prepare(s, shrunk.measured);
    const ImageRecord record = readImage(*shrunk.file);
    runStep(s, Step::ScanSdkMarkers, record);
    runStep(s, Step::ScanMiddlewareMarkers, record);
    const Bytes remaining(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(keep));
    EXPECT_EQ(test::outcomeOf(s), test::referenceOutcome(remaining));
}

TEST_P(ShrinkingScans, FileCrcCoversTheBytesThatAreLeft) {
    TempDir dir;
    Bytes image = buildSampleImage();
    image.resize(2 * kMiB + 3);
    const std::string path = dir.write("crc.SRL", image);
    const std::uint64_t keep = std::min<std::uint64_t>(GetParam().keep, image.size());
    ShrunkImage shrunk(path, keep);
    ASSERT_TRUE(shrunk.file);
    PairSwapCcitt expected(CcittPath::Table);
    expected.update(image.data(), static_cast<std::size_t>(keep));
    EXPECT_EQ(crc16_ccitt_file(*shrunk.file), expected.value());
}

TEST_P(ShrinkingScans, Segment3AndLogoCrcsUseOnlyWhatIsLeft) {
    TempDir dir;
    Bytes image = buildSampleImage();
    image.resize(0x8000);
    const std::string path = dir.write("head.SRL", image);
    const std::uint64_t keep = std::min<std::uint64_t>(GetParam().keep, image.size());
    ShrunkImage shrunk(path, keep);
    ASSERT_TRUE(shrunk.file);

    PairSwapCcitt segment3(CcittPath::Table);
    const std::uint64_t from = std::min<std::uint64_t>(0x3000, keep);
    const std::uint64_t to = std::min<std::uint64_t>(0x4000, keep);
    segment3.update(image.data() + from, static_cast<std::size_t>(to - from));
    EXPECT_EQ(crc16_ccitt_segment3(*shrunk.file), segment3.value());

    // Logo bytes the file no longer holds read as zeros, never as an earlier image's bytes.
    Session s{""};
    runStep(s, Step::CheckLogoCharacterData, readImage(*shrunk.file));
    Bytes logo(image.begin() + kLogoData, image.begin() + kLogoData + kLogoSize);
    for (std::size_t i = 0; i < logo.size(); ++i)
        if (kLogoData + i >= keep) logo[i] = 0;
    Session reference{""};
    reference.state.File_Size = keep;
    Bytes zeroed(image.begin(),
                 image.begin() + static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(keep, image.size())));
    const std::string zeroedPath = dir.write("zeroed.SRL", zeroed);
    auto zeroedFile = ImageFile::open(zeroedPath);
    ASSERT_TRUE(zeroedFile);
    runStep(reference, Step::CheckLogoCharacterData, readImage(*zeroedFile));
    EXPECT_EQ(s.model.text(Field::logo_CRC_test), reference.model.text(Field::logo_CRC_test));
}

INSTANTIATE_TEST_SUITE_P(Cuts, ShrinkingScans,
                         ::testing::Values(CutRow{"FileEmptied", 0}, CutRow{"OneByteLeft", 1},
                                           CutRow{"CutInsideTheLogo", 0xD0}, CutRow{"CutInsideSegment3", 0x3801},
                                           CutRow{"CutThroughTheSdkMagic", 0x4108},
                                           CutRow{"CutThroughAMiddlewareMarker", 0xD007},
                                           CutRow{"CutOneWindowIn", 0x4000 + 5},
                                           CutRow{"CutPastTheFirstBlock", kMiB + 1}, CutRow{"NothingCut", ~0ull}),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace parvex
