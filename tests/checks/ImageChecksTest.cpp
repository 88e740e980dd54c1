#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "checks/ImageChecks.h"
#include "checks/ReferenceLogo.h"
#include "core/Findings.h"
#include "run/Session.h"
#include "run/Steps.h"
#include "tests/support/SessionProbe.h"

namespace parvex {
namespace {

using test::lines;
using test::texts;

Session withLogo() {
    Session s{"/nonexistent"};
    std::copy(kReferenceLogo.begin(), kReferenceLogo.end(), s.state.Header.begin() + kLogoData);
    return s;
}

void setBytes(Session& s, std::size_t at, std::array<std::uint8_t, 4> bytes) {
    std::copy(bytes.begin(), bytes.end(), s.state.Header.begin() + static_cast<std::ptrdiff_t>(at));
}

struct OffsetRow {
    const char* fault;
    std::array<std::uint8_t, 4> bytes;
    bool fires;
};

const std::vector<OffsetRow> kOffsetRows = {
    {"AllZero", {0x00, 0x00, 0x00, 0x00}, true},        {"OnlyHighByteSet", {0x00, 0x00, 0x00, 0x01}, false},
    {"SecondByteSet", {0x00, 0x80, 0x00, 0x00}, false}, {"OnlyLowByteSet", {0x01, 0x00, 0x00, 0x00}, false},
    {"LargestOffset", {0xFF, 0xFF, 0xFF, 0xFF}, false}, {"HighBitOnly", {0x00, 0x00, 0x00, 0x80}, false},
};

class OffsetTable : public testing::TestWithParam<OffsetRow> {};

TEST_P(OffsetTable, BannerOffset) {
    const OffsetRow& row = GetParam();
    Session s = withLogo();
    setBytes(s, kBannerOffset, row.bytes);
    s.model.setText(Field::Banner_Offset, "00 00 00 00");
    s.model.setText(Field::Banner_ans, "stale");
    runStep(s, Step::CheckBannerOffset);
    EXPECT_EQ(s.model.text(Field::Banner_ans), row.fires ? "Error" : "OK");
    EXPECT_EQ(s.model.field(Field::Banner_ans).colour, row.fires ? Colour::Red : Colour::Black);
    EXPECT_EQ(s.model.field(Field::Banner_Offset).colour, row.fires ? Colour::Red : Colour::Black);
    EXPECT_EQ(s.model.text(Field::Banner_Offset), "00 00 00 00");  // the run's text stays
    EXPECT_EQ(lines(s), texts(s, row.fires ? std::vector{Msg::BannerNotSet} : std::vector<Msg>{}));
}

TEST_P(OffsetTable, ApplicationEndOffset) {
    const OffsetRow& row = GetParam();
    Session s = withLogo();
    setBytes(s, kAppEndOffset, row.bytes);
    runStep(s, Step::CheckApplicationEndOffset);
    EXPECT_EQ(lines(s), texts(s, row.fires ? std::vector{Msg::AppEndNotSet} : std::vector<Msg>{}));
    EXPECT_EQ(s.model.messages.colour, row.fires ? Colour::Red : Colour::Black);
}

INSTANTIATE_TEST_SUITE_P(Rows, OffsetTable, testing::ValuesIn(kOffsetRows),
                         [](const auto& p) { return std::string(p.param.fault); });

TEST(BannerOffset, ReadsOnlyItsOwnBytes) {
    Session s = withLogo();
    setBytes(s, kBannerOffset - 4, {1, 1, 1, 1});
    setBytes(s, kBannerOffset + 4, {1, 1, 1, 1});
    runStep(s, Step::CheckBannerOffset);
    EXPECT_EQ(s.model.text(Field::Banner_ans), "Error");
}

TEST(ApplicationEndOffset, ReadsOnlyItsOwnBytes) {
    Session s = withLogo();
    setBytes(s, kAppEndOffset - 4, {1, 1, 1, 1});
    setBytes(s, kAppEndOffset + 4, {1, 1, 1, 1});
    runStep(s, Step::CheckApplicationEndOffset);
    EXPECT_EQ(lines(s), texts(s, {Msg::AppEndNotSet}));
}

TEST(LogoCharacterData, ReferenceLogoPasses) {
    Session s = withLogo();
    s.model.setText(Field::Char_data, "stale");
    runStep(s, Step::CheckLogoCharacterData);
    EXPECT_EQ(s.model.text(Field::Char_data), "OK");
    EXPECT_EQ(s.model.field(Field::Char_data).colour, Colour::Black);
    EXPECT_TRUE(lines(s).empty());
}

TEST(LogoCharacterData, AnySingleDifferingByteFires) {
    for (std::size_t i : {std::size_t{0}, std::size_t{77}, kLogoSize - 1}) {
        Session s = withLogo();
        s.state.Header[kLogoData + i] ^= 0x01;
        runStep(s, Step::CheckLogoCharacterData);
        EXPECT_EQ(s.model.text(Field::Char_data), "Error") << i;
        for (Field f : {Field::Char_data, Field::CRC_logo, Field::logo_CRC_test})
            EXPECT_EQ(s.model.field(f).colour, Colour::Red) << i;
        EXPECT_EQ(lines(s), texts(s, {Msg::LogoBad})) << i;
    }
}

TEST(LogoCharacterData, AllBytesWrongGiveOneFinding) {
    Session s{"/nonexistent"};
    std::fill(s.state.Header.begin() + kLogoData, s.state.Header.begin() + kLogoData + kLogoSize, 0xA5);
    runStep(s, Step::CheckLogoCharacterData);
    EXPECT_EQ(lines(s).size(), 1u);
}

TEST(LogoCharacterData, BytesAroundTheLogoDoNotCount) {
    Session s = withLogo();
    s.state.Header[kLogoData - 1] = 0x5A;
    s.state.Header[kLogoData + kLogoSize] = 0x5A;
    runStep(s, Step::CheckLogoCharacterData);
    EXPECT_EQ(s.model.text(Field::Char_data), "OK");
}

TEST(FinalRomBuild, FlagSetIsSilent) {
    Session s = withLogo();
    s.state.Final_Build = 1;
    runStep(s, Step::CheckFinalRomBuild);
    EXPECT_TRUE(lines(s).empty());
}

TEST(FinalRomBuild, ClearedFlagFiresWithDifferingJapaneseCopies) {
    Session s = withLogo();
    s.state.Final_Build = 0;
    runStep(s, Step::CheckFinalRomBuild);
    EXPECT_EQ(s.model.messages.text, "The ROM Data is not a FINALROM build.");
    EXPECT_EQ(lines(s), std::vector<std::string>{"The ROM Data is not a FINALROM build."});
    EXPECT_EQ(s.model.messages.colour, Colour::Red);

    Session j = withLogo();
    j.switchLanguage();
    j.state.Final_Build = 0;
    runStep(j, Step::CheckFinalRomBuild);
    EXPECT_EQ(j.model.messages.text, "ROMデータがFINALROMビルドではありません。");
    EXPECT_EQ(lines(j), std::vector<std::string>{"ROMデータがFINALROMではありません。"});
}

}  // namespace
}  // namespace parvex
