#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "checks/CapacityChecks.h"
#include "core/Findings.h"
#include "core/ImageFile.h"
#include "run/Session.h"
#include "run/Steps.h"
#include "tests/support/SessionProbe.h"
#include "tests/support/TempDir.h"

namespace parvex {
namespace {

using test::lines;
using test::texts;

constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kMiB = 1024 * kKiB;
constexpr std::uint64_t k1Gbit = 0x8000000;
constexpr std::uint64_t k2Gbit = 0x10000000;
constexpr std::uint64_t k4Gbit = 0x20000000;
constexpr std::uint64_t k128Mbit = 0x1000000;

// The scans, byte by byte and block by block exactly as the rules state them, through stdio.
std::uint32_t referenceTailUsed(const std::string& path, std::uint8_t code, std::uint64_t size) {
    struct Row {
        std::uint8_t code;
        std::uint64_t size;
        std::uint64_t tail;
        int blocks;
    };
    const Row rows[] = {
        {0x0A, 0x8000000, 0x280000, 160}, {0x0B, 0x10000000, 0x500000, 320}, {0x0C, 0x20000000, 0xA60000, 664}};
    std::uint32_t used = 0;
    for (const Row& r : rows) {
        if (r.code != code || r.size != size) continue;
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) return 0;
        fseeko(f, static_cast<off_t>(size - r.tail), SEEK_SET);
        std::vector<std::uint8_t> block(16384);
        for (int b = 0; b < r.blocks; ++b) {
            if (std::fread(block.data(), 1, block.size(), f) != block.size()) ADD_FAILURE() << "short read";
            for (std::uint8_t byte : block)
                if (byte != 0xFF) ++used;
        }
        std::fclose(f);
    }
    return used;
}

std::uint32_t referenceHalfPadded(const std::string& path, std::uint8_t code, std::uint64_t size) {
    if (code <= 0x06 || size <= 0x800000) return 0;
    const std::uint64_t half = size >> 1;
    const std::uint64_t blocks = size >> 15;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    std::vector<std::uint8_t> block(16384);
    std::uint32_t result = 0;
    if (code == 0x0B && size == 0x10000000) {
        fseeko(f, 0x7D80000, SEEK_SET);
        for (int b = 0; b < 160; ++b) {
            if (std::fread(block.data(), 1, block.size(), f) != block.size()) ADD_FAILURE() << "short read";
            for (std::uint8_t byte : block)
                if (byte != 0xFF) {
                    std::fclose(f);
                    return 0;
                }
        }
    }
    fseeko(f, static_cast<off_t>(half), SEEK_SET);
    const int fill = std::fgetc(f);
    fseeko(f, static_cast<off_t>(half), SEEK_SET);
    std::uint64_t count = 0;
    for (std::uint64_t b = 0; b < blocks; ++b) {
        if (std::fread(block.data(), 1, block.size(), f) != block.size()) ADD_FAILURE() << "short read";
        for (std::uint8_t byte : block) {
            if (byte != fill) {
                std::fclose(f);
                return 0;
            }
            ++count;
        }
    }
    if (count == half) result = 1;
    std::fclose(f);
    return result;
}

// An image file made sparse by resizing, with only the bytes a case needs written.
class SparseImage {
public:
    SparseImage(const test::TempDir& dir, std::uint64_t size) : m_path(dir.file("image.srl")) {
        { std::ofstream create(pathFromUtf8(m_path), std::ios::binary | std::ios::trunc); }
        resize(size);
        m_file.open(pathFromUtf8(m_path), std::ios::in | std::ios::out | std::ios::binary);
        if (!m_file) ADD_FAILURE() << "cannot make image";
    }

    void put(std::uint64_t at, std::uint8_t value) { fill(at, 1, value); }

    void write(std::uint64_t at, const std::vector<std::uint8_t>& bytes) {
        m_file.seekp(static_cast<std::streamoff>(at));
        m_file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        m_file.flush();
        if (!m_file) ADD_FAILURE() << "cannot write image";
    }

    void fill(std::uint64_t at, std::uint64_t n, std::uint8_t value) {
        const std::vector<std::uint8_t> block(static_cast<std::size_t>(std::min<std::uint64_t>(n, 4 * kMiB)), value);
        for (std::uint64_t done = 0; done < n;) {
            const std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), n - done));
            m_file.seekp(static_cast<std::streamoff>(at + done));
            m_file.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(part));
            m_file.flush();
            if (!m_file) {
                ADD_FAILURE() << "cannot write image";
                return;
            }
            done += part;
        }
    }

    void resize(std::uint64_t size) {
        std::error_code ec;
        std::filesystem::resize_file(pathFromUtf8(m_path), size, ec);
        if (ec) ADD_FAILURE() << "cannot resize image";
    }

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::fstream m_file;
};

Session sessionFor(std::uint8_t code, std::uint64_t fileSize) {
    Session s{"/nonexistent"};
    s.state.Header[kDeviceCapacity] = code;
    s.state.File_Size = fileSize;
    s.state.Tail_Used = 0xDEAD;  // an earlier run's results must not survive the scans
    s.state.Half_Padded = 0xBEEF;
    return s;
}

// The run's record of a pass over the file, made for the session's capacity code and size.
ImageRecord passRecord(const Session& s, ImageFile& file) {
    ImageRecord r;
    r.pass =
        runImagePass(file, {.capacityCode = s.state.u8(kDeviceCapacity), .fileSize = s.state.File_Size, .arm9 = {}});
    return r;
}

std::uint32_t scanTail(const std::string& path, std::uint8_t code, std::uint64_t fileSize) {
    Session s = sessionFor(code, fileSize);
    auto file = ImageFile::open(path);
    EXPECT_TRUE(file);
    if (!file) return 0xFFFFFFFF;
    runStep(s, Step::CheckCapacityLimitation, passRecord(s, *file));
    return s.state.Tail_Used;
}

std::uint32_t scanHalf(const std::string& path, std::uint8_t code, std::uint64_t fileSize) {
    Session s = sessionFor(code, fileSize);
    auto file = ImageFile::open(path);
    EXPECT_TRUE(file);
    if (!file) return 0xFFFFFFFF;
    runStep(s, Step::CheckWastedCapacity, passRecord(s, *file));
    return s.state.Half_Padded;
}

// ROM control information.

using Low = std::array<std::uint8_t, 8>;
using High = std::array<std::uint8_t, 2>;
constexpr Low kLow1 = {0x00, 0x60, 0x58, 0x00, 0xF8, 0x08, 0x18, 0x00};
constexpr Low kLow2 = {0x17, 0x60, 0x41, 0x00, 0xF8, 0x08, 0x18, 0x00};
constexpr Low kLow3 = {0x57, 0x66, 0x41, 0x00, 0xF8, 0x08, 0x18, 0x08};
constexpr High kHighMask = {0x1E, 0x05};
constexpr High kHighOtp = {0x7E, 0x0D};

struct RomControlRow {
    const char* fault;
    Low low;
    High high;
    int code;
    const char* ctrl;
    const char* version;  // nullptr: MROM_Ver cleared
    Colour versionColour;
    bool ctrlRed;
    std::vector<Msg> expected;
};

const std::vector<RomControlRow> kRomControlRows = {
    {"MaskRom512Mbit", kLow1, kHighMask, 0x09, "MaskROM", "0", Colour::Black, false, {}},
    {"MaskRom1Gbit", kLow1, kHighMask, 0x0A, "MaskROM", "0", Colour::Black, true, {Msg::MaskRomTooLarge}},
    {"MaskRom8GbitCode0D", kLow1, kHighMask, 0x0D, "MaskROM", "0", Colour::Black, true, {Msg::MaskRomTooLarge}},
    {"MaskRomCodeFFUnsigned", kLow1, kHighMask, 0xFF, "MaskROM", "0", Colour::Black, true, {Msg::MaskRomTooLarge}},
    {"MaskRomRevision64Mbit", kLow2, kHighMask, 0x06, "MaskROM", "1", Colour::Blue, false, {}},
    {"MaskRomRevision1Gbit", kLow2, kHighMask, 0x0A, "MaskROM", "1", Colour::Blue, true, {Msg::MaskRomTooLarge}},
    {"OneTimeProm64Mbit", kLow3, kHighOtp, 0x06, "OneTimePROM", "0", Colour::Black, false, {Msg::OneTimeProm64Mbit}},
    {"OneTimeProm32Mbit", kLow3, kHighOtp, 0x05, "OneTimePROM", "0", Colour::Black, false, {}},
    {"OneTimeProm128Mbit", kLow3, kHighOtp, 0x07, "OneTimePROM", "0", Colour::Black, false, {}},
    {"OneTimeProm4Gbit", kLow3, kHighOtp, 0x0C, "OneTimePROM", "0", Colour::Black, false, {}},
    {"MaskLowWithOtpHigh", kLow1, kHighOtp, 0x07, "Error", nullptr, Colour::Black, true, {Msg::RomControlBad}},
    {"OtpLowWithMaskHigh", kLow3, kHighMask, 0x07, "Error", nullptr, Colour::Black, true, {Msg::RomControlBad}},
    {"AllZero", Low{}, High{}, 0x07, "Error", nullptr, Colour::Black, true, {Msg::RomControlBad}},
    {"LastHighByteOff", kLow1, {0x1E, 0x04}, 0x07, "Error", nullptr, Colour::Black, true, {Msg::RomControlBad}},
    {"FirstLowByteOff",
     {0x01, 0x60, 0x58, 0x00, 0xF8, 0x08, 0x18, 0x00},
     kHighMask,
     0x07,
     "Error",
     nullptr,
     Colour::Black,
     true,
     {Msg::RomControlBad}},
};

class RomControlTable : public testing::TestWithParam<RomControlRow> {};

TEST_P(RomControlTable, PatternAndCapacity) {
    const RomControlRow& row = GetParam();
    Session s = sessionFor(static_cast<std::uint8_t>(row.code), 0);
    std::copy(row.low.begin(), row.low.end(), s.state.Header.begin() + kRomControlA);
    std::copy(row.high.begin(), row.high.end(), s.state.Header.begin() + kRomControlB);
    // What an earlier image left in the box the run never resets.
    s.model.setText(Field::MROM_Ver, "1");
    s.model.setColour(Field::MROM_Ver, Colour::Blue);
    runStep(s, Step::CheckRomControlInfo);
    EXPECT_EQ(s.model.text(Field::MROMctrl), row.ctrl);
    EXPECT_EQ(s.model.field(Field::MROMctrl).colour, row.ctrlRed ? Colour::Red : Colour::Black);
    EXPECT_EQ(s.model.text(Field::MROM_Ver), row.version ? row.version : "");
    EXPECT_EQ(s.model.field(Field::MROM_Ver).colour, row.versionColour);
    EXPECT_EQ(lines(s), texts(s, row.expected));
    const bool error =
        std::any_of(row.expected.begin(), row.expected.end(), [](Msg m) { return severityOf(m) == Severity::Error; });
    EXPECT_EQ(s.model.messages.colour, error ? Colour::Red : Colour::Black);
}

INSTANTIATE_TEST_SUITE_P(Rows, RomControlTable, testing::ValuesIn(kRomControlRows),
                         [](const auto& p) { return std::string(p.param.fault); });

TEST(RomControlInfo, JapaneseNamesButEnglishError) {
    Session s = sessionFor(0x07, 0);
    s.switchLanguage();
    std::copy(kLow3.begin(), kLow3.end(), s.state.Header.begin() + kRomControlA);
    std::copy(kHighOtp.begin(), kHighOtp.end(), s.state.Header.begin() + kRomControlB);
    runStep(s, Step::CheckRomControlInfo);
    EXPECT_EQ(s.model.text(Field::MROMctrl), "ワンタイムPROM");
    std::copy(kLow1.begin(), kLow1.end(), s.state.Header.begin() + kRomControlA);
    std::copy(kHighMask.begin(), kHighMask.end(), s.state.Header.begin() + kRomControlB);
    runStep(s, Step::CheckRomControlInfo);
    EXPECT_EQ(s.model.text(Field::MROMctrl), "マスクROM");
    s.state.Header[kRomControlB] = 0;
    runStep(s, Step::CheckRomControlInfo);
    EXPECT_EQ(s.model.text(Field::MROMctrl), "Error");
    EXPECT_EQ(lines(s), std::vector<std::string>{"ROMコントロール情報にエラーがあります。"});
}

// Reserved tail.

struct TailCase {
    const char* fault;
    std::uint8_t code;
    std::uint64_t chip;
    std::uint64_t tail;
};

const std::vector<TailCase> kTailCases = {
    {"OneGbit", 0x0A, k1Gbit, 0x280000},
    {"TwoGbit", 0x0B, k2Gbit, 0x500000},
    {"FourGbit", 0x0C, k4Gbit, 0xA60000},
};

class TailTable : public testing::TestWithParam<TailCase> {};

TEST_P(TailTable, CleanTailIsUnused) {
    const TailCase& c = GetParam();
    test::TempDir dir;
    SparseImage image(dir, c.chip);
    image.fill(c.chip - c.tail, c.tail, 0xFF);
    image.put(c.chip - c.tail - 1, 0x00);  // data right up to the tail is allowed
    EXPECT_EQ(scanTail(image.path(), c.code, c.chip), 0u);
    EXPECT_EQ(referenceTailUsed(image.path(), c.code, c.chip), 0u);
}

TEST_P(TailTable, UsedBytesAtBlockAndChunkEdgesAreAllCounted) {
    const TailCase& c = GetParam();
    test::TempDir dir;
    SparseImage image(dir, c.chip);
    const std::uint64_t start = c.chip - c.tail;
    image.fill(start, c.tail, 0xFF);
    const std::uint64_t edges[] = {0,        1,    16383,    16384,          256 * kKiB - 1, 256 * kKiB,
                                   kMiB - 1, kMiB, kMiB + 1, c.tail - 16385, c.tail - 2,     c.tail - 1};
    for (std::uint64_t e : edges) image.put(start + e, static_cast<std::uint8_t>(e & 0x7F));
    const std::uint32_t used = scanTail(image.path(), c.code, c.chip);
    EXPECT_EQ(used, referenceTailUsed(image.path(), c.code, c.chip));
    EXPECT_EQ(used, std::size(edges));
}

// Bytes one bit away from 0xFF, in runs that start and end off any word, block or chunk edge.
TEST_P(TailTable, BytesNearFFAreCountedExactly) {
    const TailCase& c = GetParam();
    test::TempDir dir;
    SparseImage image(dir, c.chip);
    const std::uint64_t start = c.chip - c.tail;
    image.fill(start, c.tail, 0xFF);
    const std::uint8_t nearFF[] = {0xFF, 0xFF, 0xFE, 0x7F, 0xEF, 0xF7, 0xBF, 0xFD, 0x80, 0x00, 0x01};
    std::mt19937 random(31);
    for (const std::uint64_t from : {std::uint64_t{3}, std::uint64_t{16384 - 5}, std::uint64_t{256 * 1024 - 2043}}) {
        std::vector<std::uint8_t> run(5000 + random() % 3000);
        for (auto& b : run) b = nearFF[random() % std::size(nearFF)];
        image.write(start + from, run);
    }
    EXPECT_EQ(scanTail(image.path(), c.code, c.chip), referenceTailUsed(image.path(), c.code, c.chip));
}

TEST_P(TailTable, UnwrittenTailCountsEveryByte) {
    const TailCase& c = GetParam();
    test::TempDir dir;
    SparseImage image(dir, c.chip);
    const std::uint32_t used = scanTail(image.path(), c.code, c.chip);
    EXPECT_EQ(used, c.tail);
    EXPECT_EQ(used, referenceTailUsed(image.path(), c.code, c.chip));
}

TEST_P(TailTable, OneByteLongerOrShorterIsNotScanned) {
    const TailCase& c = GetParam();
    test::TempDir dir;
    for (std::uint64_t size : {c.chip + 1, c.chip - 1}) {
        SparseImage image(dir, size);  // an all-zero tail would count if it were scanned
        EXPECT_EQ(scanTail(image.path(), c.code, size), 0u) << size;
    }
}

TEST_P(TailTable, ExactSizeUnderAnotherCodeIsNotScanned) {
    const TailCase& c = GetParam();
    test::TempDir dir;
    SparseImage image(dir, c.chip);
    for (std::uint8_t code : {std::uint8_t(c.code - 1), std::uint8_t(c.code + 1), std::uint8_t(c.code | 0x80)})
        EXPECT_EQ(scanTail(image.path(), code, c.chip), 0u) << int(code);
}

// The file shrank after it was measured: what it no longer holds cannot be shown unused.
TEST_P(TailTable, FileThatShrankCountsMissingBytesAsUsed) {
    const TailCase& c = GetParam();
    test::TempDir dir;
    SparseImage image(dir, c.chip);
    image.fill(c.chip - c.tail, c.tail, 0xFF);
    Session s = sessionFor(c.code, c.chip);
    auto file = ImageFile::open(image.path());
    ASSERT_TRUE(file);
    image.resize(c.chip - 100);
    runStep(s, Step::CheckCapacityLimitation, passRecord(s, *file));
    EXPECT_EQ(s.state.Tail_Used, 100u);
    image.resize(0);
    runStep(s, Step::CheckCapacityLimitation, passRecord(s, *file));
    EXPECT_EQ(s.state.Tail_Used, c.tail);
}

INSTANTIATE_TEST_SUITE_P(Rows, TailTable, testing::ValuesIn(kTailCases),
                         [](const auto& p) { return std::string(p.param.fault); });

struct LimitationRow {
    const char* fault;
    int code;
    std::uint32_t used;
    std::vector<Msg> expected;
};

const std::vector<LimitationRow> kLimitationRows = {
    {"OneGbitUsed", 0x0A, 1, {Msg::Tail1Gbit}},
    {"TwoGbitUsed", 0x0B, 5242880, {Msg::Tail2Gbit}},
    {"FourGbitUsed", 0x0C, 7, {Msg::Tail4Gbit}},
    {"OneGbitClean", 0x0A, 0, {}},
    {"FourGbitClean", 0x0C, 0, {}},
    {"OtherCodeUsed", 0x0D, 3, {}},
    {"SmallCodeUsed", 0x09, 3, {}},
};

class LimitationTable : public testing::TestWithParam<LimitationRow> {};

TEST_P(LimitationTable, FindingFromStoredCount) {
    const LimitationRow& row = GetParam();
    Session s = sessionFor(static_cast<std::uint8_t>(row.code), 0);
    s.state.Tail_Used = row.used;
    runStep(s, Step::CheckCapacityLimitation);
    EXPECT_EQ(lines(s), texts(s, row.expected));
    EXPECT_EQ(s.model.messages.colour, row.expected.empty() ? Colour::Black : Colour::Red);
}

INSTANTIATE_TEST_SUITE_P(Rows, LimitationTable, testing::ValuesIn(kLimitationRows),
                         [](const auto& p) { return std::string(p.param.fault); });

// Wasted capacity, on 128 Mbit images (second half 8 MiB) unless a row says otherwise.

struct HalfCase {
    const char* fault;
    std::uint8_t code;
    std::uint64_t size;
    int fill;                        // the second half's value; -1 leaves the file sparse (zero)
    std::vector<std::uint64_t> odd;  // offsets set to a value unlike the fill
    std::uint32_t padded;
};

constexpr std::uint64_t kHalf = k128Mbit / 2;

const std::vector<HalfCase> kHalfCases = {
    {"ZeroPadding", 0x07, k128Mbit, -1, {}, 1},
    {"FFPadding", 0x07, k128Mbit, 0xFF, {}, 1},
    {"OtherFillValue", 0x07, k128Mbit, 0x5A, {}, 1},
    {"FirstHalfDataDoesNotCount", 0x07, k128Mbit, 0xFF, {0, kHalf - 1}, 1},
    {"FillByteItselfDiffers", 0x07, k128Mbit, 0xFF, {kHalf}, 0},
    {"SecondByte", 0x07, k128Mbit, 0xFF, {kHalf + 1}, 0},
    {"LastByteOfFirstWord", 0x07, k128Mbit, 0xFF, {kHalf + 7}, 0},
    {"FirstByteOfSecondWord", 0x07, k128Mbit, 0xFF, {kHalf + 8}, 0},
    {"LastByteOfFirstRun", 0x07, k128Mbit, 0xFF, {kHalf + 255}, 0},
    {"FirstByteOfSecondRun", 0x07, k128Mbit, 0xFF, {kHalf + 256}, 0},
    {"LastByteOfFirstBlock", 0x07, k128Mbit, 0xFF, {kHalf + 16383}, 0},
    {"FirstByteOfSecondBlock", 0x07, k128Mbit, 0xFF, {kHalf + 16384}, 0},
    {"ChunkEdgeBefore", 0x07, k128Mbit, 0xFF, {kHalf + 256 * kKiB - 1}, 0},
    {"ChunkEdgeAfter", 0x07, k128Mbit, 0xFF, {kHalf + 256 * kKiB}, 0},
    {"ReaderBlockEdge", 0x07, k128Mbit, 0xFF, {kHalf + kMiB}, 0},
    {"LastByteOfFile", 0x07, k128Mbit, 0xFF, {k128Mbit - 1}, 0},
    {"OddSizeLastByteIsNotCompared", 0x07, k128Mbit + 1, 0xFF, {k128Mbit}, 1},
    {"HalfNotWholeBlocks", 0x07, k128Mbit + 2, -1, {}, 0},
    {"HalfOneBlockMore", 0x07, k128Mbit + 32768, -1, {}, 1},
    {"HalfOneBlockMoreDataInIt", 0x07, k128Mbit + 32768, -1, {k128Mbit + 32767}, 0},
    {"SixtyFourMbitNotScanned", 0x06, k128Mbit, -1, {}, 0},
    {"CodeFFScanned", 0xFF, k128Mbit, -1, {}, 1},
    {"EightMiBNotScanned", 0x07, 0x800000, -1, {}, 0},
    {"JustOverEightMiBScanned", 0x07, 0x800000 + 32768, -1, {}, 1},
    {"TwoGbitCodeOtherSizeSkipsTailRule", 0x0B, k128Mbit, -1, {}, 1},
};

class HalfTable : public testing::TestWithParam<HalfCase> {};

TEST_P(HalfTable, MatchesTheByteByByteScan) {
    const HalfCase& c = GetParam();
    test::TempDir dir;
    SparseImage image(dir, c.size);
    const std::uint64_t half = c.size / 2;
    if (c.fill >= 0) image.fill(half, c.size - half, static_cast<std::uint8_t>(c.fill));
    for (std::uint64_t at : c.odd) image.put(at, static_cast<std::uint8_t>(c.fill == 0x01 ? 0x02 : 0x01));
    const std::uint32_t padded = scanHalf(image.path(), c.code, c.size);
    EXPECT_EQ(padded, referenceHalfPadded(image.path(), c.code, c.size));
    EXPECT_EQ(padded, c.padded);
}

INSTANTIATE_TEST_SUITE_P(Rows, HalfTable, testing::ValuesIn(kHalfCases),
                         [](const auto& p) { return std::string(p.param.fault); });

struct TwoGbitRow {
    const char* fault;
    std::vector<std::uint64_t> odd;  // bytes of the 1 Gbit tail (or next to it) that are not 0xFF
    std::uint32_t padded;
};

const std::vector<TwoGbitRow> kTwoGbitRows = {
    {"FitsOneGbitChip", {}, 1},
    {"DataJustBeforeOneGbitTail", {0x7D7FFFF}, 1},
    {"FirstByteOfOneGbitTail", {0x7D80000}, 0},
    {"LastByteBeforeHalf", {0x7FFFFFF}, 0},
};

class TwoGbitTable : public testing::TestWithParam<TwoGbitRow> {};

// The second half stays sparse (uniform zero); only the 1 Gbit chip's tail decides.
TEST_P(TwoGbitTable, OneGbitTailRule) {
    const TwoGbitRow& row = GetParam();
    test::TempDir dir;
    SparseImage image(dir, k2Gbit);
    image.fill(0x7D80000, 0x280000, 0xFF);
    for (std::uint64_t at : row.odd) image.put(at, 0x00);
    const std::uint32_t padded = scanHalf(image.path(), 0x0B, k2Gbit);
    EXPECT_EQ(padded, referenceHalfPadded(image.path(), 0x0B, k2Gbit));
    EXPECT_EQ(padded, row.padded);
}

INSTANTIATE_TEST_SUITE_P(Rows, TwoGbitTable, testing::ValuesIn(kTwoGbitRows),
                         [](const auto& p) { return std::string(p.param.fault); });

// Data in the first 0x7D80000 bytes, 0xFF after: a 1 Gbit chip would do, and the 2 Gbit tail is clean.
TEST(WastedCapacity, TwoGbitImageThatFitsOneGbitGivesOnlyTheNotice) {
    test::TempDir dir;
    SparseImage image(dir, k2Gbit);
    image.fill(0x7D80000, k2Gbit - 0x7D80000, 0xFF);
    image.fill(0, 4096, 0x12);
    Session s = sessionFor(0x0B, k2Gbit);
    auto file = ImageFile::open(image.path());
    ASSERT_TRUE(file);
    const ImageRecord record = passRecord(s, *file);
    runStep(s, Step::CheckCapacityLimitation, record);
    runStep(s, Step::CheckWastedCapacity, record);
    EXPECT_EQ(lines(s), texts(s, {Msg::WastedCapacity}));
    EXPECT_EQ(s.model.field(Field::ROM_Code).colour, Colour::Red);
    EXPECT_EQ(s.model.field(Field::ROM_size).colour, Colour::Red);
    EXPECT_EQ(s.model.messages.colour, Colour::Black);
}

TEST(WastedCapacity, FourGbitSparseImageIsPadding) {
    test::TempDir dir;
    SparseImage image(dir, k4Gbit);
    image.fill(0, kMiB, 0x33);
    EXPECT_EQ(scanHalf(image.path(), 0x0C, k4Gbit), 1u);
    image.put(k4Gbit - 1, 0x01);
    EXPECT_EQ(scanHalf(image.path(), 0x0C, k4Gbit), 0u);
    EXPECT_EQ(referenceHalfPadded(image.path(), 0x0C, k4Gbit), 0u);
}

TEST(WastedCapacity, FileThatShrankIsNotUniform) {
    test::TempDir dir;
    SparseImage image(dir, k128Mbit);
    for (std::uint64_t left : {k128Mbit - 1, kHalf + 1, kHalf}) {
        image.resize(k128Mbit);
        Session s = sessionFor(0x07, k128Mbit);
        auto file = ImageFile::open(image.path());
        ASSERT_TRUE(file);
        image.resize(left);
        runStep(s, Step::CheckWastedCapacity, passRecord(s, *file));
        EXPECT_EQ(s.state.Half_Padded, 0u) << left;
    }
}

// Random sizes, fill values and stray bytes: the streamed scan and the byte-by-byte one agree.
TEST(WastedCapacity, RandomImagesAgreeWithTheByteByByteScan) {
    std::mt19937 random(9);
    test::TempDir dir;
    for (int round = 0; round < 24; ++round) {
        const std::uint64_t size = 0x800000 + (random() % 2 ? 16384 * (random() % 64) : random() % 600000);
        const std::uint8_t code = static_cast<std::uint8_t>(random() % 4 == 0 ? random() : 0x05 + random() % 9);
        SparseImage image(dir, size);
        const std::uint64_t half = size / 2;
        image.fill(half, size - half, static_cast<std::uint8_t>(random()));
        if (random() % 2) image.put(half + random() % (size - half), static_cast<std::uint8_t>(random()));
        EXPECT_EQ(scanHalf(image.path(), code, size), referenceHalfPadded(image.path(), code, size))
            << size << " " << int(code);
    }
}

// Both scans as consumers of one shared pass, in chunk sizes that fall anywhere against the 16 KiB
// blocks and the half: they agree with the byte-by-byte scans.
TEST(CapacityScans, SharedPassInAnyChunkSizeAgreesWithTheByteByByteScans) {
    std::mt19937 random(23);
    test::TempDir dir;
    const std::size_t kChunks[] = {4097, 16383, 16385, 65536 + 7, kMiB - 1, 256 * kKiB};
    for (int round = 0; round < 16; ++round) {
        const bool tailCase = round % 4 == 0;
        const std::uint64_t size =
            tailCase ? k1Gbit : 0x800000 + (random() % 2 ? 16384 * (random() % 64) : random() % 600000);
        const std::uint8_t code = tailCase ? 0x0A : static_cast<std::uint8_t>(0x05 + random() % 9);
        SparseImage image(dir, size);
        const std::uint64_t half = size / 2;
        image.fill(half, size - half, tailCase ? 0xFF : static_cast<std::uint8_t>(random()));
        if (random() % 2) image.put(half + random() % (size - half), static_cast<std::uint8_t>(random()));
        if (random() % 2) image.put(size - 1 - random() % 0x280000, 0x00);
        auto file = ImageFile::open(image.path());
        ASSERT_TRUE(file);
        ReservedTailScan tail(code, size);
        WastedCapacityScan padding(code, size);
        PassConsumer* const both[] = {&tail, &padding};
        const std::size_t chunk = kChunks[random() % std::size(kChunks)];
        feedPass(*file, both, chunk);
        EXPECT_EQ(padding.halfPadded(), referenceHalfPadded(image.path(), code, size))
            << size << " " << int(code) << " chunks of " << chunk;
        EXPECT_EQ(tail.tailUsed(), referenceTailUsed(image.path(), code, size))
            << size << " " << int(code) << " chunks of " << chunk;
    }
}

// Once the half is broken and nothing else wants bytes, the pass stops reading.
TEST(WastedCapacity, PassStopsReadingAtTheFirstByteThatBreaksTheHalf) {
    test::TempDir dir;
    SparseImage image(dir, k128Mbit);
    image.put(kHalf + 5, 0x01);
    auto file = ImageFile::open(image.path());
    ASSERT_TRUE(file);
    WastedCapacityScan padding(0x07, k128Mbit);
    const std::uint64_t before = ImageFile::bytesReadByProcess();
    feedPass(*file, padding, 65536);
    EXPECT_EQ(padding.halfPadded(), 0u);
    EXPECT_LE(ImageFile::bytesReadByProcess() - before, kPassWorkers * 65536u);
}

// A header can claim any size: a tiny file under a huge File_Size ends at once.
TEST(CapacityScans, HugeClaimedSizeOnTinyFileEnds) {
    test::TempDir dir;
    SparseImage image(dir, 4096);
    for (std::uint64_t claimed : {std::uint64_t{1} << 62, ~std::uint64_t{0}, k4Gbit}) {
        EXPECT_EQ(scanHalf(image.path(), 0x0C, claimed), 0u);
        EXPECT_EQ(scanHalf(image.path(), 0xFF, claimed), 0u);
    }
    EXPECT_EQ(scanTail(image.path(), 0x0C, k4Gbit), 0xA60000u);
}

struct NoticeRow {
    const char* fault;
    std::uint32_t padded;
    bool fires;
};

const std::vector<NoticeRow> kNoticeRows = {
    {"Padded", 1, true},
    {"NotPadded", 0, false},
    {"OnlyOneMeansPadded", 2, false},
};

class NoticeTable : public testing::TestWithParam<NoticeRow> {};

TEST_P(NoticeTable, NoticeKeepsListColour) {
    const NoticeRow& row = GetParam();
    Session s = sessionFor(0x07, k128Mbit);
    s.state.Half_Padded = row.padded;
    runStep(s, Step::CheckWastedCapacity);
    EXPECT_EQ(lines(s), texts(s, row.fires ? std::vector{Msg::WastedCapacity} : std::vector<Msg>{}));
    EXPECT_EQ(s.model.field(Field::ROM_Code).colour, row.fires ? Colour::Red : Colour::Black);
    EXPECT_EQ(s.model.field(Field::ROM_size).colour, row.fires ? Colour::Red : Colour::Black);
    EXPECT_EQ(s.model.messages.colour, Colour::Black);
}

INSTANTIATE_TEST_SUITE_P(Rows, NoticeTable, testing::ValuesIn(kNoticeRows),
                         [](const auto& p) { return std::string(p.param.fault); });

// The language switch judges the stored scan results again, without the file.
TEST(CapacityChecks, LanguageSwitchReportsStoredResultsInJapanese) {
    Session s = sessionFor(0x0A, k1Gbit);
    s.fileName = "/nonexistent/image.srl";
    s.state.Tail_Used = 12;
    s.state.Half_Padded = 1;
    s.state.Run_Started = true;
    s.switchLanguage();
    const std::vector<std::string> all = lines(s);
    for (const char* expected : {"1GbitROMの容量制限が守られていません。",
                                 "Warning: デバイス容量がROM容量に無駄のある値に設定されています。"})
        EXPECT_NE(std::find(all.begin(), all.end(), expected), all.end()) << expected;
    EXPECT_EQ(s.state.Tail_Used, 12u);
}

}  // namespace
}  // namespace parvex
