#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "core/Findings.h"
#include "tests/support/SessionProbe.h"

namespace parvex {
namespace {

using test::lines;

TEST(Findings, TwoErrorsShowTheLastAndListBothInRed) {
    WindowModel m;
    addFinding(m, Msg::ProductCodeBad, {Field::Product_Code});
    addFinding(m, Msg::DeviceCodeBad);
    EXPECT_EQ(m.messages.text, "'Device Code' is incorrect.");
    EXPECT_EQ(lines(m), (std::vector<std::string>{"'Product Code' is incorrect.", "'Device Code' is incorrect."}));
    EXPECT_EQ(m.messages.colour, Colour::Red);
    EXPECT_EQ(m.field(Field::Product_Code).colour, Colour::Red);
}

TEST(Findings, ANoticeAloneLeavesTheListBlackButColoursItsBoxes) {
    WindowModel m;
    addFinding(m, Msg::WastedCapacity, {Field::ROM_Code, Field::ROM_size});
    EXPECT_EQ(m.messages.colour, Colour::Black);
    EXPECT_EQ(m.messages.lines.size(), 1u);
    EXPECT_EQ(m.messages.lines[0].severity, Severity::Notice);
    EXPECT_EQ(m.field(Field::ROM_size).colour, Colour::Red);
}

TEST(Findings, ANoticeAfterAnErrorKeepsTheListRed) {
    WindowModel m;
    addFinding(m, Msg::BannerNotSet);
    addFinding(m, Msg::WastedCapacity);
    EXPECT_EQ(m.messages.colour, Colour::Red);
    EXPECT_EQ(m.messages.text, firstCopy(Msg::WastedCapacity, Language::English));
}

// The language is the model's own value: a caption typed into LBtn decides nothing.
TEST(Findings, TheLanguageNotTheCaptionChoosesTheTexts) {
    WindowModel m;
    m.control(Control::LBtn).caption = std::string(kJapaneseModeCaption);
    addFinding(m, Msg::BannerNotSet);
    EXPECT_EQ(m.messages.text, "The Banner Data is not set up.");
    m.control(Control::LBtn).caption = std::string(kEnglishModeCaption);
    m.setLanguage(Language::Japanese);
    addFinding(m, Msg::BannerNotSet);
    EXPECT_EQ(m.messages.text, "バナーデータが設定されていません。");
}

TEST(Findings, DifferingCopiesGoToTheEditLineAndTheListLine) {
    WindowModel m;
    m.setLanguage(Language::Japanese);
    addFinding(m, Msg::NotFinalRom);
    EXPECT_EQ(m.messages.text, "ROMデータがFINALROMビルドではありません。");
    EXPECT_EQ(lines(m), std::vector<std::string>{"ROMデータがFINALROMではありません。"});
}

TEST(Findings, ListTextAddsNoLineAndKeepsTheColour) {
    WindowModel m;
    addFinding(m, Msg::BannerNotSet);
    setListText(m, Msg::NoInconsistencies);
    EXPECT_EQ(m.messages.text, "There are no inconsistencies.");
    EXPECT_EQ(m.messages.lines.size(), 1u);
    EXPECT_EQ(m.messages.colour, Colour::Red);
}

TEST(WindowModelNames, EveryFieldAndControlNameRoundTrips) {
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const auto f = static_cast<Field>(i);
        EXPECT_EQ(fieldByName(fieldName(f)), f);
    }
    for (std::size_t i = 0; i < kControlCount; ++i) {
        const auto c = static_cast<Control>(i);
        EXPECT_EQ(controlByName(controlName(c)), c);
    }
    EXPECT_FALSE(fieldByName("No_Such_Box"));
}

// Every message has a Japanese text of its own, in both copies: not empty, and not the English
// text left in place, but for the few that read the same in both languages.
TEST(MessageTable, EveryMessageHasItsOwnJapaneseText) {
    // The program's name and version, and the verdicts, which the window shows in English in both.
    constexpr Msg kSameInBoth[] = {Msg::VersionBanner, Msg::VerdictOk, Msg::VerdictError, Msg::JsonReportFilter};
    for (std::size_t i = 0; i < kMessageCount; ++i) {
        const auto m = static_cast<Msg>(i);
        const bool same = std::find(std::begin(kSameInBoth), std::end(kSameInBoth), m) != std::end(kSameInBoth);
        for (auto copy : {firstCopy, secondCopy}) {
            const std::string en = copy(m, Language::English);
            const char* ja = copy(m, Language::Japanese);
            ASSERT_NE(ja, nullptr) << "no Japanese text for \"" << en << '"';
            EXPECT_STRNE(ja, "") << "empty Japanese text for \"" << en << '"';
            if (!same) {
                EXPECT_NE(ja, en) << "the Japanese text is the English one: \"" << en << '"';
            }
        }
    }
}

}  // namespace
}  // namespace parvex
