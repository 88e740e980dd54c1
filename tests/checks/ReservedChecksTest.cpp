#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "buildinfo/SyscallCheck.h"
#include "checks/CapacityChecks.h"
#include "checks/DeviceChecks.h"
#include "checks/ImageChecks.h"
#include "checks/ReservedChecks.h"
#include "core/Findings.h"
#include "run/Session.h"
#include "run/Steps.h"
#include "tests/support/SessionProbe.h"

namespace parvex {
namespace {

using test::lines;
using test::texts;

Session cleanSession(char lastCodeChar = 'J') {
    Session s{"/nonexistent"};
    s.state.Header[kGameCodeLast] = static_cast<std::uint8_t>(lastCodeChar);
    return s;
}

struct RegionRow {
    const char* fault;
    char letter;
    int region;
    int reservedByte;  // offset in 0x015-0x01C set non-zero, or 0 for none
    std::vector<Msg> expected;
};

const std::vector<RegionRow> kRegionRows = {
    {"PlainGameNoFlags", 'J', 0x00, 0, {}},
    {"ChineseGameWithFlag", 'C', 0x80, 0, {}},
    {"KoreanGameWithFlag", 'K', 0x40, 0, {}},
    {"ChineseGameBothFlags", 'C', 0xC0, 0, {Msg::ChineseFlagNotSet}},
    {"ChineseGameNoFlag", 'C', 0x00, 0, {Msg::ChineseFlagNotSet}},
    {"ChineseGameKoreanFlag", 'C', 0x40, 0, {Msg::ChineseFlagNotSet}},
    {"KoreanGameChineseFlag", 'K', 0x80, 0, {Msg::KoreanFlagNotSet}},
    {"KoreanGameNoFlag", 'K', 0x00, 0, {Msg::KoreanFlagNotSet}},
    {"LowerCaseCIsNoChineseGame", 'c', 0x80, 0, {Msg::ChineseFlagSet}},
    {"LowerCaseKIsNoKoreanGame", 'k', 0x40, 0, {Msg::KoreanFlagSet}},
    {"PlainGameChineseFlag", 'E', 0x80, 0, {Msg::ChineseFlagSet}},
    {"PlainGameKoreanFlag", 'P', 0x40, 0, {Msg::KoreanFlagSet}},
    {"PlainGameBothFlagsNotBitwise", 'J', 0xC0, 0, {Msg::Reserved01D}},
    {"PlainGameOtherBit", 'J', 0x01, 0, {Msg::Reserved01D}},
    {"NulLetterOtherValue", '\0', 0xFF, 0, {Msg::Reserved01D}},
    {"FirstReservedByte", 'J', 0x00, 0x015, {Msg::Reserved015}},
    {"LastReservedByte", 'J', 0x00, 0x01C, {Msg::Reserved015}},
    {"ReservedThenRegion", 'J', 0x40, 0x015, {Msg::Reserved015, Msg::KoreanFlagSet}},
    {"ReservedWithGoodRegion", 'C', 0x80, 0x01A, {Msg::Reserved015}},
};

class RegionTable : public testing::TestWithParam<RegionRow> {};

TEST_P(RegionTable, VerdictAndFindings) {
    const RegionRow& row = GetParam();
    Session s = cleanSession(row.letter);
    s.state.Header[kRegionFlags] = static_cast<std::uint8_t>(row.region);
    if (row.reservedByte) s.state.Header[static_cast<std::size_t>(row.reservedByte)] = 0x01;
    s.model.setText(Field::R_Area1, "stale");
    runStep(s, Step::CheckReservedAndRegionFlags);
    const bool fires = !row.expected.empty();
    EXPECT_EQ(s.model.text(Field::R_Area1), fires ? "Error" : "OK");
    EXPECT_EQ(s.model.field(Field::R_Area1).colour, fires ? Colour::Red : Colour::Black);
    EXPECT_EQ(lines(s), texts(s, row.expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, RegionTable, testing::ValuesIn(kRegionRows),
                         [](const auto& p) { return std::string(p.param.fault); });

TEST(ReservedArea1, ManyNonZeroBytesGiveOneFinding) {
    Session s = cleanSession();
    s.state.Header[0x016] = 0x01;
    s.state.Header[0x01B] = 0xFF;
    runStep(s, Step::CheckReservedAndRegionFlags);
    EXPECT_EQ(lines(s), texts(s, {Msg::Reserved015}));
}

TEST(ReservedArea1, NeighboursOutsideTheRangeAreNotItsBusiness) {
    Session s = cleanSession();
    s.state.Header[kDeviceCapacity] = 0xFF;
    s.state.Header[kReleaseVersion] = 0xFF;
    runStep(s, Step::CheckReservedAndRegionFlags);
    EXPECT_TRUE(lines(s).empty());
}

struct SpeedRow {
    const char* fault;
    int value;
    const char* shown;
    std::vector<Msg> expected;
};

const std::vector<SpeedRow> kSpeedRows = {
    {"Zero", 0x00, "OK", {}},
    {"NotSetInRfs", 0x40, "0x40", {Msg::SpeedTypeNotSet}},
    {"UnexpectedSmall", 0x07, "0x07", {Msg::SpeedTypeUnexpected}},
    {"LeadingZeroUpperCaseDigit", 0x0A, "0x0A", {Msg::SpeedTypeUnexpected}},
    {"UpperCaseHex", 0xAB, "0xAB", {Msg::SpeedTypeUnexpected}},
    {"HighBitNotSignExtended", 0xFF, "0xFF", {Msg::SpeedTypeUnexpected}},
    {"NeighbourOfRfsValue", 0x41, "0x41", {Msg::SpeedTypeUnexpected}},
};

class SpeedTable : public testing::TestWithParam<SpeedRow> {};

TEST_P(SpeedTable, ShownAndReported) {
    const SpeedRow& row = GetParam();
    Session s = cleanSession();
    s.state.Header[kRomSpeedType] = static_cast<std::uint8_t>(row.value);
    s.model.setText(Field::R_Area2, "stale");
    runStep(s, Step::CheckRomSpeedType);
    EXPECT_EQ(s.model.text(Field::R_Area2), row.shown);
    EXPECT_EQ(s.model.field(Field::R_Area2).colour, row.expected.empty() ? Colour::Black : Colour::Red);
    EXPECT_EQ(lines(s), texts(s, row.expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, SpeedTable, testing::ValuesIn(kSpeedRows),
                         [](const auto& p) { return std::string(p.param.fault); });

struct RangeRow {
    const char* fault;
    std::size_t first;
    std::size_t last;
    Field box;
    Msg message;
};

const std::vector<RangeRow> kRanges = {
    {"Area078", 0x078, 0x07F, Field::R_Area3, Msg::Reserved078},
    {"Area090", 0x090, 0x0BF, Field::R_Area4, Msg::Reserved090},
    {"Area160", 0x160, 0x17F, Field::R_Area5, Msg::Reserved160},
};

class RangeTable : public testing::TestWithParam<RangeRow> {};

TEST_P(RangeTable, FirstAndLastByteAreFound) {
    const RangeRow& r = GetParam();
    for (std::size_t at : {r.first, r.last, (r.first + r.last) / 2}) {
        Session s = cleanSession();
        s.state.Header[at] = 0x80;
        CheckReservedRange(s.state, s.model, {r.first, r.last, r.box, r.message});
        EXPECT_EQ(s.model.text(r.box), "Error") << at;
        EXPECT_EQ(s.model.field(r.box).colour, Colour::Red) << at;
        EXPECT_EQ(lines(s), texts(s, {r.message})) << at;
        EXPECT_EQ(s.model.messages.colour, Colour::Red);
    }
}

TEST_P(RangeTable, BytesJustOutsideStaySilent) {
    const RangeRow& r = GetParam();
    Session s = cleanSession();
    s.state.Header[r.first - 1] = 0xFF;
    if (r.last + 1 < kHeaderSize) s.state.Header[r.last + 1] = 0xFF;
    s.model.setText(r.box, "stale");
    CheckReservedRange(s.state, s.model, {r.first, r.last, r.box, r.message});
    EXPECT_EQ(s.model.text(r.box), "OK");
    EXPECT_EQ(s.model.field(r.box).colour, Colour::Black);
    EXPECT_TRUE(lines(s).empty());
}

TEST_P(RangeTable, AllNonZeroStillOneFinding) {
    const RangeRow& r = GetParam();
    Session s = cleanSession();
    for (std::size_t at = r.first; at <= r.last; ++at) s.state.Header[at] = 0xFF;
    CheckReservedRange(s.state, s.model, {r.first, r.last, r.box, r.message});
    EXPECT_EQ(lines(s).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Rows, RangeTable, testing::ValuesIn(kRanges),
                         [](const auto& p) { return std::string(p.param.fault); });

TEST(ReservedRange, RangePastTheHeaderEndReadsNothingOutside) {
    Session s = cleanSession();
    CheckReservedRange(s.state, s.model, {0x170, 0x1000, Field::R_Area5, Msg::Reserved160});
    EXPECT_EQ(s.model.text(Field::R_Area5), "OK");
    s.state.Header[kHeaderSize - 1] = 1;
    CheckReservedRange(s.state, s.model, {0x170, 0x1000, Field::R_Area5, Msg::Reserved160});
    EXPECT_EQ(s.model.text(Field::R_Area5), "Error");
}

// The language switch re-runs these checks: same verdicts, Findings in the other language.
TEST(ReservedChecks, LanguageSwitchGivesSameVerdictsInJapanese) {
    Session s = cleanSession('C');
    s.state.Header[0x015] = 1;
    s.state.Header[kRomSpeedType] = 0x40;
    s.state.Header[0x17F] = 1;
    s.state.Run_Started = true;
    s.switchLanguage();
    EXPECT_EQ(s.model.text(Field::R_Area1), "Error");
    EXPECT_EQ(s.model.text(Field::R_Area2), "0x40");
    EXPECT_EQ(s.model.text(Field::R_Area5), "Error");
    const std::vector<std::string> all = lines(s);
    for (const char* expected :
         {"予約領域[0x015 - 0x01C]が正しくありません。", "中国版本体対応フラグが設定されていません。",
          "RFSファイルで、ROMSpeedTypeが設定されていません。", "予約領域[0x160 - 0x17F]が正しくありません。"})
        EXPECT_NE(std::find(all.begin(), all.end(), expected), all.end()) << expected;
}

// Header bytes are arbitrary: every CheckState-only check still ends with one of its own verdicts.
TEST(HeaderChecks, ArbitraryHeadersGiveKnownVerdicts) {
    std::mt19937 random(20261208);
    const std::set<std::string> verdicts = {"OK", "Error"};
    for (int round = 0; round < 2000; ++round) {
        Session s{"/nonexistent"};
        for (std::uint8_t& b : s.state.Header) b = static_cast<std::uint8_t>(random());
        for (std::uint8_t& b : s.state.Syscall_Text) b = static_cast<std::uint8_t>(random() % 3 == 0 ? random() : 0);
        s.state.File_Size = random() % 2 ? (std::uint64_t{131072} << (random() % 16)) : random();
        runStep(s, Step::CheckProductCode);
        runStep(s, Step::CheckDeviceCode);
        s.state.File_Size = s.state.File_Size;
        runStep(s, Step::CheckDeviceCapacity);
        runStep(s, Step::CheckReservedAndRegionFlags);
        runStep(s, Step::CheckRomSpeedType);
        CheckReservedRange(s.state, s.model, {0x078, 0x07F, Field::R_Area3, Msg::Reserved078});
        CheckReservedRange(s.state, s.model, {0x090, 0x0BF, Field::R_Area4, Msg::Reserved090});
        CheckReservedRange(s.state, s.model, {0x160, 0x17F, Field::R_Area5, Msg::Reserved160});
        runStep(s, Step::CheckSystemCallLibrary);
        runStep(s, Step::CheckRomControlInfo);
        runStep(s, Step::CheckBannerOffset);
        runStep(s, Step::CheckApplicationEndOffset);
        runStep(s, Step::CheckCapacityLimitation);
        runStep(s, Step::CheckLogoCharacterData);
        runStep(s, Step::CheckWastedCapacity);
        runStep(s, Step::CheckFinalRomBuild);
        for (Field f :
             {Field::R_Area1, Field::R_Area3, Field::R_Area4, Field::R_Area5, Field::Banner_ans, Field::Char_data})
            EXPECT_TRUE(verdicts.count(s.model.text(f))) << fieldName(f) << " " << s.model.text(f);
        const std::string speed = s.model.text(Field::R_Area2);
        EXPECT_TRUE(speed == "OK" || (speed.size() == 4 && speed.rfind("0x", 0) == 0)) << speed;
        EXPECT_FALSE(s.model.text(Field::ROM_size).empty());
        EXPECT_FALSE(s.model.text(Field::MROMctrl).empty());
    }
}

}  // namespace
}  // namespace parvex
