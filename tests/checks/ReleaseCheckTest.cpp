#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "checks/NameChecks.h"
#include "checks/ReleaseCheck.h"
#include "core/Findings.h"
#include "run/Session.h"
#include "run/Steps.h"
#include "tests/support/SessionProbe.h"

namespace parvex {
namespace {

using test::lines;
using test::texts;

// The release character as CheckFileName hands it over: 0 when the name has none.
std::uint8_t releaseChar(const std::string& c) {
    return c.empty() ? std::uint8_t{0} : static_cast<std::uint8_t>(c[0]);
}

struct ReleaseRow {
    const char* fault;
    std::uint8_t byte;
    std::string nameChar;  // the release character CheckFileName hands over (empty: none)
    std::string version;
    std::string expectedChar;
    std::vector<Msg> findings;
};

void PrintTo(const ReleaseRow& row, std::ostream* os) { *os << row.fault; }

class ReleaseBytes : public testing::TestWithParam<ReleaseRow> {};

TEST_P(ReleaseBytes, AgainstTheNameCharacter) {
    const ReleaseRow& row = GetParam();
    Session s{"/nonexistent"};
    s.state.Header[kReleaseVersion] = row.byte;
    s.state.Release_Char = releaseChar(row.nameChar);
    runStep(s, Step::CheckReleaseVersion);

    EXPECT_EQ(s.model.text(Field::Version), row.version);
    EXPECT_EQ(s.model.text(Field::Remaster_ASCII), row.expectedChar);
    EXPECT_EQ(lines(s), texts(s, row.findings));
    const bool unknown = !row.findings.empty() && row.findings.front() == Msg::ReleaseVersionBad;
    EXPECT_EQ(s.model.field(Field::Version).colour, unknown ? Colour::Red : Colour::Black);
    EXPECT_EQ(s.model.field(Field::Mask_Rom_Ver).colour, unknown ? Colour::Red : Colour::Black);
    EXPECT_EQ(s.model.field(Field::Remaster_Ver).colour, row.findings.empty() ? Colour::Black : Colour::Red);
}

INSTANTIATE_TEST_SUITE_P(
    ReleaseCheck, ReleaseBytes,
    testing::Values(
        ReleaseRow{"Zero", 0x00, "0", "Ver.0", "0", {}}, ReleaseRow{"One", 0x01, "1", "Ver.1", "1", {}},
        ReleaseRow{"Nine", 0x09, "9", "Ver.9", "9", {}}, ReleaseRow{"E0", 0xE0, "E", "Ver.E", "E", {}},
        ReleaseRow{"NameCharacterDiffers", 0x01, "0", "Ver.1", "1", {Msg::ReleaseVersionMismatch}},
        ReleaseRow{"LowerCaseE", 0xE0, "e", "Ver.E", "E", {Msg::ReleaseVersionMismatch}},
        ReleaseRow{"ByteAsCharacterIsNotTheDigit",
                   0x31,
                   "1",
                   "No matching data",
                   "",
                   {Msg::ReleaseVersionBad, Msg::ReleaseVersionMismatch}},
        ReleaseRow{"NoCharacterInName", 0x03, "", "Ver.3", "3", {Msg::ReleaseVersionMismatch}},
        ReleaseRow{
            "UnknownByte", 0x0A, "0", "No matching data", "", {Msg::ReleaseVersionBad, Msg::ReleaseVersionMismatch}},
        ReleaseRow{"UnknownByteShortName", 0x0A, "", "No matching data", "", {Msg::ReleaseVersionBad}},
        ReleaseRow{"JustBelowE0", 0xDF, "", "No matching data", "", {Msg::ReleaseVersionBad}},
        ReleaseRow{"JustAboveE0", 0xE1, "", "No matching data", "", {Msg::ReleaseVersionBad}},
        ReleaseRow{
            "TopByte", 0xFF, "\xFF", "No matching data", "", {Msg::ReleaseVersionBad, Msg::ReleaseVersionMismatch}}),
    [](const testing::TestParamInfo<ReleaseRow>& p) { return std::string(p.param.fault); });

// The release character is the sixth of the name, whether or not the name passes its own check; the
// seventh (submission) is never compared.
TEST(ReleaseCheck, ComparesTheSixthNameCharacter) {
    struct Case {
        std::uint8_t byte;
        std::string name;
        std::size_t findings;
    };
    for (const auto& [byte, name, findings] : std::vector<Case>{{0x01, "QABCJ01.SRL", 1},
                                                                {0x01, "QABCJ10.SRL", 0},
                                                                {0x01, "QABCJ1.SRL", 0},
                                                                {0x01, "/roms/QABCJ12.SRL", 0},
                                                                {0x05, "xxxxx5", 0}}) {
        Session s{"/nonexistent"};
        s.state.Header[kReleaseVersion] = byte;
        s.fileName = name;
        runStep(s, Step::CheckFileName);
        clearList(s.model);
        runStep(s, Step::CheckReleaseVersion);
        EXPECT_EQ(s.model.messages.lines.size(), findings) << name;
    }
}

TEST(ReleaseCheck, JapaneseTextsAndRerunKeepsColours) {
    Session s{"/nonexistent"};
    s.state.Header[kReleaseVersion] = 0x0A;
    s.state.Release_Char = releaseChar("0");
    runStep(s, Step::CheckReleaseVersion);
    EXPECT_EQ(s.model.text(Field::Version), "No matching data");

    s.model.setLanguage(Language::Japanese);
    clearList(s.model);
    runStep(s, Step::CheckReleaseVersion);
    EXPECT_EQ(s.model.text(Field::Version), "該当データなし");
    EXPECT_EQ(lines(s),
              (std::vector<std::string>{"リマスター Versionが正しくありません。",
                                        "ファイル名のリマスターバージョンとROM内登録データが一致しません。"}));
    for (Field f : {Field::Version, Field::Mask_Rom_Ver, Field::Remaster_Ver})
        EXPECT_EQ(s.model.field(f).colour, Colour::Red);
    EXPECT_EQ(s.model.messages.colour, Colour::Red);
}

}  // namespace
}  // namespace parvex
