// Every row of the step table against an image that makes it show: after the run, and after one and
// two language switches, starting in either language. A step dropped from the run or the switch, or
// a step added without a row here, fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "core/Findings.h"
#include "run/Session.h"
#include "run/Steps.h"
#include "tests/integrity/ReferenceCrc.h"
#include "tests/support/SessionProbe.h"
#include "tests/support/TempDir.h"
#include "tools/SampleImage.h"

namespace parvex {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t k1Mbit = 131072;
constexpr const char* kName = "QPVXJ00.SRL";

// The clean sample cut to 1 Mbit (capacity code 00h), checksums made right again.
Bytes baseImage() {
    Bytes b = buildSampleImage(sampleOptionsForName(kName));
    b.resize(k1Mbit);
    b[0x014] = 0x00;
    return b;
}

std::string hexPair(std::uint8_t first, std::uint8_t second) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X", static_cast<unsigned>(first), static_cast<unsigned>(second));
    return text;
}

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}

struct Image {
    Bytes bytes = baseImage();
    std::string name = kName;
    std::uint64_t size = 0;         // when set: the file is extended (sparse) or cut to this size
    bool keepChecksums = false;     // leave the stored CRCs and Segment3 as the corruption left them
    std::string makerList;          // Dorclic.txt beside the program, when not empty
    bool listGoneAfterRun = false;  // the maker list is removed between the run and the switches
    bool cutDuringRun = false;      // the file is cut to 16 MiB once the run's pass has started
};

// What one step makes visible: a Finding, or a value that a probe reads from the session.
struct StepRow {
    Step step;
    std::function<void(Image&)> make;
    std::optional<Msg> finding;
    std::function<std::string(const Session&)> probe;
    std::function<std::string(const Image&)> expected;
    const char* label = nullptr;  // for a second row of one step: what it shows
};

std::string rowName(const StepRow& row) {
    return std::string(stepInfo(row.step).name) + (row.label ? std::string("_") + row.label : "");
}

void PrintTo(const StepRow& row, std::ostream* os) { *os << rowName(row); }

std::function<std::string(const Session&)> fieldText(Field f) {
    return [f](const Session& s) { return s.model.text(f); };
}

std::function<std::string(const Image&)> literal(const std::string& text) {
    return [text](const Image&) { return text; };
}

void fill(Bytes& b, std::size_t from, std::size_t count, std::uint8_t value) {
    std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(from), count, value);
}

void put(Bytes& b, std::size_t at, std::string_view text) {
    std::copy(text.begin(), text.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

const std::vector<StepRow>& rows() {
    static const std::vector<StepRow> kRows = {
        {Step::ReadHeader, [](Image& i) { i.bytes[0x012] = 0x01; }, Msg::ProductCodeBad, {}, {}},
        {Step::CheckFileName, {}, {}, fieldText(Field::File_Name), literal(kName), "Name"},
        {Step::CheckFileName, [](Image& i) { i.name = "qpvxj00.srl"; }, Msg::FileNameCaps, {}, {}},
        {Step::CheckGameTitle,
         [](Image& i) {
             put(i.bytes, 0, "STEPS");
             fill(i.bytes, 5, 7, 0);
         },
         {},
         fieldText(Field::Game_Title),
         literal("STEPS"),
         "Title"},
        {Step::CheckGameTitle, [](Image& i) { i.bytes[0x003] = 'a'; }, Msg::TitleBadCode, {}, {}},
        {Step::CheckGameCode, {}, {}, fieldText(Field::Initial_Code), literal("PVXJ"), "Text"},
        {Step::CheckGameCode,
         [](Image& i) {
             put(i.bytes, 0x00C, "ZQVJ");
             i.name = "QZQVJ00.SRL";
         },
         Msg::GameCodeDefault,
         {},
         {}},
        {Step::CheckMakerCode,
         [](Image& i) { put(i.bytes, 0x010, "PV"); },
         {},
         fieldText(Field::Maker_ASCII),
         literal("PV"),
         "Text"},
        {Step::ShowMakerName,
         [](Image& i) {
             put(i.bytes, 0x010, "PV");
             i.makerList = "PV,ぱーべっくす,Parvex Works\n";
             i.listGoneAfterRun = true;
         },
         {},
         fieldText(Field::Maker),
         literal("ぱーべっくす")},
        {Step::CheckMakerCode, [](Image& i) { put(i.bytes, 0x010, "00"); }, Msg::MakerCodeBad, {}, {}},
        {Step::CheckReleaseVersion, {}, {}, fieldText(Field::Mask_Rom_Ver), literal("00"), "Byte"},
        {Step::CheckReleaseVersion, [](Image& i) { i.bytes[0x01E] = 0x05; }, Msg::ReleaseVersionMismatch, {}, {}},
        {Step::CheckProductCode, {}, {}, fieldText(Field::Product_Code), literal("00"), "Byte"},
        {Step::CheckProductCode, [](Image& i) { i.bytes[0x012] = 0x02; }, Msg::ProductCodeBad, {}, {}},
        {Step::CheckDeviceCode, {}, {}, fieldText(Field::Device_Code), literal("00"), "Byte"},
        {Step::CheckDeviceCode, [](Image& i) { i.bytes[0x013] = 0x01; }, Msg::DeviceCodeBad, {}, {}},
        {Step::CheckDeviceCapacity,
         [](Image& i) { i.bytes[0x014] = 0x03; },
         {},
         fieldText(Field::ROM_Code),
         literal("03"),
         "Byte"},
        {Step::CheckDeviceCapacity, [](Image& i) { i.size = k1Mbit + 1; }, Msg::FileSizeBad, {}, {}},
        {Step::CheckReservedAndRegionFlags, [](Image& i) { i.bytes[0x015] = 0x01; }, Msg::Reserved015, {}, {}},
        {Step::CheckRomSpeedType, [](Image& i) { i.bytes[0x01F] = 0x40; }, Msg::SpeedTypeNotSet, {}, {}},
        {Step::CheckBannerOffset,
         [](Image& i) { put(i.bytes, 0x068, std::string("\x00\x41\x00\x00", 4)); },
         {},
         fieldText(Field::Banner_Offset),
         literal("00 41 00 00"),
         "Bytes"},
        {Step::CheckReserved078, [](Image& i) { i.bytes[0x07B] = 0x01; }, Msg::Reserved078, {}, {}},
        {Step::CheckReserved090, [](Image& i) { i.bytes[0x0A0] = 0x01; }, Msg::Reserved090, {}, {}},
        {Step::CheckReserved160, [](Image& i) { i.bytes[0x17F] = 0x01; }, Msg::Reserved160, {}, {}},
        {Step::CheckSystemCallLibrary,
         {},
         {},
         fieldText(Field::Edit8),
         [](const Image& i) { return std::to_string(le32(i.bytes, 0x020)); },
         "Offset"},
        {Step::CheckSystemCallLibrary,
         [](Image& i) { fill(i.bytes, le32(i.bytes, 0x020), 32, 0); },
         Msg::SyscallDefault,
         {},
         {}},
        {Step::CheckRomControlInfo, [](Image& i) { i.bytes[0x060] = 0xAA; }, Msg::RomControlBad, {}, {}},
        {Step::CheckBannerOffset, [](Image& i) { fill(i.bytes, 0x068, 4, 0); }, Msg::BannerNotSet, {}, {}},
        {Step::CheckSecureAreaCrc,
         {},
         {},
         fieldText(Field::Edit11),
         [](const Image& i) { return hexPair(i.bytes[0x06D], i.bytes[0x06C]); },
         "Stored"},
        {Step::CheckSecureAreaCrc,
         [](Image& i) {
             i.keepChecksums = true;
             i.bytes[0x5000] ^= 0x01;
         },
         Msg::SecureCrcMismatch,
         {},
         {}},
        {Step::CheckApplicationEndOffset, [](Image& i) { fill(i.bytes, 0x080, 4, 0); }, Msg::AppEndNotSet, {}, {}},
        // A 1 Gbit image whose reserved tail is zeros, not FFh.
        {Step::CheckCapacityLimitation,
         [](Image& i) {
             i.bytes[0x014] = 0x0A;
             i.size = 0x8000000;
         },
         Msg::Tail1Gbit,
         {},
         {}},
        {Step::CheckLogoCharacterData, [](Image& i) { i.bytes[0x0D0] ^= 0x10; }, Msg::LogoBad, {}, {}},
        {Step::CheckLogoCharacterData,
         {},
         {},
         fieldText(Field::logo_CRC_test),
         [](const Image& i) { return hexPair(i.bytes[0x15D], i.bytes[0x15C]); },
         "Crc"},
        {Step::CheckHeaderCrc,
         {},
         {},
         fieldText(Field::Edit9),
         [](const Image& i) { return hexPair(i.bytes[0x15F], i.bytes[0x15E]); },
         "Stored"},
        {Step::CheckHeaderCrc,
         [](Image& i) {
             i.keepChecksums = true;
             i.bytes[0x15E] ^= 0x01;
         },
         Msg::HeaderCrcMismatch,
         {},
         {}},
        {Step::ComputeSecurityDataCrc,
         {},
         {},
         fieldText(Field::CRC_Key_table),
         [](const Image& i) {
             const std::uint16_t crc = reference::bitwiseCrc16(0xFFFF, i.bytes.data() + 0x1000, 0x2000);
             return hexPair(static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc));
         }},
        {Step::CheckSegment3Crc, {}, {}, fieldText(Field::CRC_seg3), literal("0254"), "Crc"},
        {Step::CheckSegment3Crc,
         [](Image& i) {
             i.keepChecksums = true;
             i.bytes[0x3100] ^= 0x01;
         },
         Msg::Segment3Bad,
         {},
         {}},
        {Step::ScanSdkMarkers,
         {},
         {},
         [](const Session& s) { return s.model.sdkRows.empty() ? std::string() : s.model.sdkRows[0].caption; },
         literal("4 . 2  RELEASE [STATIC MODULE]")},
        {Step::ScanMiddlewareMarkers,
         [](Image& i) { put(i.bytes, 0x12000, "[SDK+VELTRANE:KELBO]"); },
         {},
         fieldText(Field::Edit13),
         literal("KELBO")},
        // A 16 MiB image (code 07h) whose second half is all zeros.
        {Step::CheckWastedCapacity,
         [](Image& i) {
             i.bytes[0x014] = 0x07;
             i.size = 16u << 20;
         },
         Msg::WastedCapacity,
         {},
         {}},
        {Step::ShowFileCrc,
         {},
         {},
         fieldText(Field::CRC_ans),
         [](const Image& i) {
             char text[8];
             std::snprintf(text, sizeof text, "%04X",
                           static_cast<unsigned>(reference::literalPairSwapCcitt(i.bytes)));
             return std::string(text);
         }},
        {Step::CheckFinalRomBuild,
         [](Image& i) { put(i.bytes, 0x12000, "[SDK+VELTRANE:KELBO]"); },
         Msg::NotFinalRom,
         {},
         {}},
        // A 2 GiB file cut while the pass reads it: what the run saw is no single state of the file.
        {Step::CheckFileUnchanged,
         [](Image& i) {
             i.size = 2ull << 30;
             i.cutDuringRun = true;
         },
         Msg::FileChanged,
         {},
         {}},
        {Step::ShowCaption,
         {},
         {},
         [](const Session& s) { return std::filesystem::path(s.model.caption).filename().string(); },
         literal(kName)},
    };
    return kRows;
}

const StepRow* rowFor(Step step) {
    for (const StepRow& r : rows())
        if (r.step == step) return &r;
    return nullptr;
}

class Checked {
public:
    explicit Checked(const StepRow& row) {
        if (row.make) row.make(m_image);
        if (!m_image.keepChecksums) {
            finalizeSegment3(m_image.bytes);
            finalizeChecksums(m_image.bytes);
        }
        m_path = m_dir.write(m_image.name, m_image.bytes);
        if (m_image.size) std::filesystem::resize_file(m_path, m_image.size);
        if (!m_image.makerList.empty()) m_dir.write("Dorclic.txt", m_image.makerList);
    }

    const Image& image() const { return m_image; }
    const std::string& path() const { return m_path; }
    std::string dir() const { return m_dir.path().string(); }
    void afterRun() const {
        if (m_image.listGoneAfterRun) std::filesystem::remove(m_dir.file("Dorclic.txt"));
    }

private:
    test::TempDir m_dir;
    Image m_image;
    std::string m_path;
};

bool hasLine(const Session& s, Msg m) {
    const auto all = test::lines(s);
    return std::find(all.begin(), all.end(), secondCopy(m, s.model.language())) != all.end();
}

void expectShows(const StepRow& row, const Checked& image, const Session& s, const std::string& when) {
    const StepInfo& info = stepInfo(row.step);
    if (when == "run" && !info.inRun) return;
    if (row.finding) {
        EXPECT_TRUE(hasLine(s, *row.finding)) << info.name << " after the " << when;
    }
    if (row.probe) {
        EXPECT_EQ(row.probe(s), row.expected(image.image())) << info.name << " after the " << when;
    }
}

TEST(StepTable, EveryStepHasAnImageThatShowsIt) {
    for (const StepInfo& info : stepTable()) EXPECT_TRUE(rowFor(info.step)) << info.name << " has no row";
}

class StepRows : public testing::TestWithParam<std::tuple<StepRow, Language>> {};

TEST_P(StepRows, ShowsAfterTheRunAndAfterOneAndTwoSwitches) {
    const auto& [row, start] = GetParam();
    const Checked image(row);
    Session s(image.dir());
    s.fileCrcInRun = true;  // as parvex-check --crc, so the run's own CRC step shows too
    if (start == Language::Japanese) s.switchLanguage();
    ReadProgress progress;
    std::thread cutter;
    if (image.image().cutDuringRun) {
        s.progress = &progress;
        cutter = std::thread([&] {
            while (progress.bytesRead.load() == 0) std::this_thread::yield();
            std::filesystem::resize_file(pathFromUtf8(image.path()), 16u << 20);
        });
    }
    s.load(image.path());
    if (cutter.joinable()) cutter.join();
    expectShows(row, image, s, "run");
    image.afterRun();
    s.switchLanguage();
    expectShows(row, image, s, "first switch");
    s.switchLanguage();
    expectShows(row, image, s, "second switch");
}

INSTANTIATE_TEST_SUITE_P(Steps, StepRows,
                         testing::Combine(testing::ValuesIn(rows()),
                                          testing::Values(Language::English, Language::Japanese)),
                         [](const auto& p) {
                             return rowName(std::get<0>(p.param)) +
                                    (std::get<1>(p.param) == Language::English ? "_English" : "_Japanese");
                         });

// The base image raises nothing, so every Finding above is the row's own.
TEST(StepTable, TheBaseImageIsSilent) {
    const Checked image(StepRow{Step::ReadHeader, {}, {}, {}, {}});
    Session s(image.dir());
    s.load(image.path());
    EXPECT_EQ(test::lines(s), std::vector<std::string>{});
    s.switchLanguage();
    EXPECT_EQ(test::lines(s), std::vector<std::string>{});
}

// A step writes no box that its row of the table does not name: its read only the boxes it shows,
// its check (all the switch makes of it) only the boxes it writes.
TEST(StepTable, EveryStepWritesOnlyTheBoxesItNames) {
    for (const StepRow& row : rows()) {
        const Checked image(row);
        std::optional<ImageFile> file = ImageFile::open(image.path());
        ASSERT_TRUE(file);
        const ImageRecord record = readImage(*file, true);
        const StepInfo& info = stepInfo(row.step);
        for (bool inRun : {true, false}) {
            Session s(image.dir());
            s.load(image.path());
            for (std::size_t i = 0; i < kFieldCount; ++i) {
                s.model.setText(static_cast<Field>(i), "\x01");
                s.model.setColour(static_cast<Field>(i), Colour::Blue);
            }
            inRun ? runStep(s, row.step, record) : runStep(s, row.step);
            for (std::size_t i = 0; i < kFieldCount; ++i) {
                const auto f = static_cast<Field>(i);
                const bool changed = s.model.text(f) != "\x01" || s.model.field(f).colour != Colour::Blue;
                const bool named = info.writesField(f) || (inRun && info.showsField(f));
                EXPECT_TRUE(!changed || named)
                    << rowName(row) << (inRun ? " in the run" : " in the switch") << " writes " << fieldName(f);
            }
        }
    }
}

// The switch leaves alone every box that only the run's file reads and scans write.
TEST(StepTable, TheSwitchKeepsWhatOnlyTheRunWrites) {
    for (Language start : {Language::English, Language::Japanese}) {
        const Checked image(*rowFor(Step::ScanMiddlewareMarkers));
        Session s(image.dir());
        if (start == Language::Japanese) s.switchLanguage();
        s.load(image.path());
        const WindowModel before = s.model;
        s.switchLanguage();
        for (std::size_t i = 0; i < kFieldCount; ++i) {
            const auto f = static_cast<Field>(i);
            bool switchWrites = false;
            for (Step step : switchSteps()) switchWrites = switchWrites || stepInfo(step).writesField(f);
            if (switchWrites) continue;
            EXPECT_EQ(s.model.text(f), before.text(f)) << fieldName(f);
            EXPECT_EQ(s.model.field(f).colour, before.field(f).colour) << fieldName(f);
        }
        EXPECT_EQ(s.model.sdkRows.size(), before.sdkRows.size());
        EXPECT_EQ(s.model.middlewareRows.size(), before.middlewareRows.size());
    }
}

// Firing and silent rows for the four checksum checks: a changed region with its CRC made right again
// stays silent; the same change with the stored CRC left alone fires.
struct CrcRow {
    const char* name;
    std::size_t at;
    Msg finding;
};

void PrintTo(const CrcRow& row, std::ostream* os) { *os << row.name; }

class CrcChecks : public testing::TestWithParam<CrcRow> {};

TEST_P(CrcChecks, FireOnAStaleCrcAndStaySilentOnAFreshOne) {
    for (bool fresh : {false, true}) {
        const CrcRow& crc = GetParam();
        StepRow row{Step::ReadHeader,
                    [&](Image& i) {
                        i.keepChecksums = true;
                        i.bytes[crc.at] ^= 0x01;
                        if (!fresh) return;
                        finalizeSegment3(i.bytes);
                        finalizeChecksums(i.bytes);
                    },
                    {},
                    {},
                    {}};
        const Checked image(row);
        Session s(image.dir());
        s.load(image.path());
        // A changed logo is a logo fault of its own, whatever its CRC; only the CRC Finding is judged.
        EXPECT_EQ(hasLine(s, crc.finding), !fresh) << crc.name << (fresh ? " fresh" : " stale");
        s.switchLanguage();
        EXPECT_EQ(hasLine(s, crc.finding), !fresh) << crc.name << (fresh ? " fresh" : " stale") << " after a switch";
    }
}

INSTANTIATE_TEST_SUITE_P(Checksums, CrcChecks,
                         testing::Values(CrcRow{"HeaderTitle", 0x001, Msg::HeaderCrcMismatch},
                                         CrcRow{"HeaderStoredCrc", 0x15F, Msg::HeaderCrcMismatch},
                                         CrcRow{"SecureAreaFirstByte", 0x4000, Msg::SecureCrcMismatch},
                                         CrcRow{"SecureAreaLastByte", 0x7FFF, Msg::SecureCrcMismatch},
                                         CrcRow{"Segment3FirstByte", 0x3000, Msg::Segment3Bad},
                                         CrcRow{"Segment3LastByte", 0x3FFF, Msg::Segment3Bad}),
                         [](const auto& p) { return std::string(p.param.name); });

// The logo CRC box follows the logo bytes read from the file: fresh after a change, and the logo check
// names the CRC boxes only when the logo itself is wrong.
TEST(LogoCrc, ShownForTheBytesInTheFileAndRedOnlyWithAWrongLogo) {
    for (bool changed : {false, true}) {
        StepRow row{Step::ReadHeader,
                    [&](Image& i) {
                        if (changed) i.bytes[0x100] ^= 0x80;
                    },
                    {},
                    {},
                    {}};
        const Checked image(row);
        Session s(image.dir());
        s.load(image.path());
        const Bytes& b = image.image().bytes;
        const std::uint16_t crc = reference::bitwiseCrc16(0xFFFF, b.data() + 0x0C0, 156);
        EXPECT_EQ(s.model.text(Field::logo_CRC_test),
                  hexPair(static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)));
        EXPECT_EQ(hasLine(s, Msg::LogoBad), changed);
        EXPECT_EQ(s.model.field(Field::logo_CRC_test).colour, changed ? Colour::Red : Colour::Black);
    }
}

}  // namespace
}  // namespace parvex
