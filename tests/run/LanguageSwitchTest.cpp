#include <gtest/gtest.h>

#include "core/Findings.h"
#include "run/Session.h"
#include "tests/support/SessionProbe.h"
#include "tests/support/TempDir.h"
#include "tools/SampleImage.h"

namespace parvex {
namespace {

using test::lines;

using test::TempDir;

std::vector<std::string> allControlTexts(const WindowModel& m) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < kControlCount; ++i) {
        const auto& c = m.control(static_cast<Control>(i));
        for (Property p : {Property::Caption, Property::Hint, Property::Column1, Property::Column2, Property::Filter})
            out.push_back(c[p]);
    }
    return out;
}

TEST(LanguageSwitch, BeforeAnyRunItOnlyRelabels) {
    TempDir dir;
    Session s(dir.path().string());
    s.switchLanguage();
    EXPECT_EQ(s.model.language(), Language::Japanese);
    EXPECT_EQ(s.model.control(Control::LBtn).caption, "→English");
    EXPECT_EQ(s.model.control(Control::PGame_Title).caption, "ソフトタイトル");
    EXPECT_EQ(s.model.control(Control::OpenDialog1).filter, "ZRﾌﾟﾛｸﾞﾗﾑ");
    EXPECT_EQ(s.model.messages.text, "ZR PARVEX Ver.1.26");
    EXPECT_TRUE(s.model.messages.lines.empty());
    EXPECT_EQ(s.model.text(Field::File_Name), "");
}

TEST(LanguageSwitch, TwoSwitchesReturnEveryTextAndTheLines) {
    TempDir dir;
    Session s(dir.path().string());
    s.switchLanguage();  // as the window's first showing does
    auto image = buildSampleImage(sampleOptionsForName("QPVXJ00.SRL"));
    image[0x012] = 0x01;
    image[0x068] = image[0x069] = image[0x06A] = image[0x06B] = 0;
    finalizeChecksums(image);
    s.load(dir.write("QPVXJ00.SRL", image));
    const auto texts = allControlTexts(s.model);
    const auto before = lines(s);
    ASSERT_FALSE(before.empty());

    s.switchLanguage();
    EXPECT_NE(lines(s), before);
    s.switchLanguage();
    EXPECT_EQ(allControlTexts(s.model), texts);
    EXPECT_EQ(lines(s), before);
    EXPECT_EQ(s.model.field(Field::Product_Code).colour, Colour::Red);
    EXPECT_EQ(s.model.field(Field::Banner_Offset).colour, Colour::Red);
}

TEST(LanguageSwitch, TheDesignHintsThatTheSwitchEmptiesAreGone) {
    TempDir dir;
    Session s(dir.path().string());
    ASSERT_FALSE(s.model.control(Control::Initial_Code).hint.empty());
    s.switchLanguage();
    s.switchLanguage();
    EXPECT_EQ(s.model.control(Control::Initial_Code).hint, "");
    EXPECT_EQ(s.model.control(Control::PROM_size).caption, "Actual file Size");
    EXPECT_EQ(s.model.control(Control::CRCBtn).hint, "CRC of the whole file size is calculated.");
}

TEST(LanguageSwitch, ACleanRunShowsTheNoFindingsTextOfTheNewLanguage) {
    TempDir dir;
    Session s(dir.path().string());
    s.load(dir.write("QPVXJ00.SRL", buildSampleImage(sampleOptionsForName("QPVXJ00.SRL"))));
    s.switchLanguage();
    EXPECT_EQ(s.model.messages.text, "矛盾点はありません。");
    EXPECT_TRUE(s.model.messages.lines.empty());
}

TEST(LanguageSwitch, TheEndOffsetFindingFollowsTheLogoFindingAfterASwitch) {
    TempDir dir;
    Session s(dir.path().string());
    auto image = buildSampleImage(sampleOptionsForName("QPVXJ00.SRL"));
    std::fill(image.begin() + 0x080, image.begin() + 0x084, 0);
    image[0x15B] ^= 0xFF;
    finalizeChecksums(image);
    s.load(dir.write("QPVXJ00.SRL", image));
    const std::string logo = "[Veltrane] 'Character data' is incorrect.";
    const std::string end = "'Application End ROM Offset[0x080 - 0x083]' is not set.";
    EXPECT_EQ(lines(s), (std::vector<std::string>{end, logo}));
    s.switchLanguage();
    s.switchLanguage();
    EXPECT_EQ(lines(s), (std::vector<std::string>{logo, end}));
}

TEST(LanguageSwitch, TheCrcNoticeIsGoneAfterASwitch) {
    TempDir dir;
    Session s(dir.path().string());
    s.load(dir.write("QPVXJ00.SRL", buildSampleImage(sampleOptionsForName("QPVXJ00.SRL"))));
    std::filesystem::remove(dir.file("QPVXJ00.SRL"));
    s.computeFileCrc();
    ASSERT_EQ(lines(s), std::vector<std::string>{"Can't open File."});
    s.switchLanguage();
    EXPECT_TRUE(lines(s).empty());
}

// A failed open reads nothing, so the switch re-runs no check: it says again, in the new language,
// that the file could not be opened, and every box keeps what it showed.
TEST(LanguageSwitch, AfterAFailedOpenOnlyTheOpenFailureComesBack) {
    for (const bool goodRunFirst : {false, true}) {
        SCOPED_TRACE(goodRunFirst ? "after a good run" : "first run");
        TempDir dir;
        Session s(dir.path().string());
        if (goodRunFirst) {
            // A faulty image, so that a re-run over its state would bring back red errors.
            auto image = buildSampleImage(sampleOptionsForName("QPVXJ00.SRL"));
            image[0x013] = 1;
            finalizeChecksums(image);
            s.load(dir.write("QPVXJ00.SRL", image));
            ASSERT_EQ(s.model.messages.colour, Colour::Red);
        }
        s.load(dir.file("missing.SRL"));
        std::vector<DisplayField> boxes;
        for (std::size_t i = 0; i < kFieldCount; ++i) boxes.push_back(s.model.field(static_cast<Field>(i)));

        s.switchLanguage();
        EXPECT_EQ(lines(s), std::vector<std::string>{"ファイルが開けません。"});
        EXPECT_EQ(s.model.messages.text, "ファイルが開けません。");
        EXPECT_EQ(s.model.messages.colour, Colour::Black);
        s.switchLanguage();
        EXPECT_EQ(lines(s), std::vector<std::string>{"Unable to open File."});
        EXPECT_EQ(s.model.messages.text, "Unable to open File.");
        for (std::size_t i = 0; i < kFieldCount; ++i) {
            const DisplayField& now = s.model.field(static_cast<Field>(i));
            EXPECT_EQ(now.text, boxes[i].text) << fieldName(static_cast<Field>(i));
            EXPECT_EQ(now.colour, boxes[i].colour) << fieldName(static_cast<Field>(i));
        }
    }
}

// The guard is the failed open only: a good load after a failed one re-runs the checks again.
TEST(LanguageSwitch, AGoodLoadAfterAFailedOneIsCheckedAgainOnTheSwitch) {
    TempDir dir;
    Session s(dir.path().string());
    s.load(dir.file("missing.SRL"));
    auto image = buildSampleImage(sampleOptionsForName("QPVXJ00.SRL"));
    image[0x013] = 1;
    finalizeChecksums(image);
    s.load(dir.write("QPVXJ00.SRL", image));
    s.switchLanguage();
    EXPECT_EQ(lines(s), std::vector<std::string>{"デバイスコードが間違ってます。"});
    EXPECT_EQ(s.model.messages.colour, Colour::Red);
}

}  // namespace
}  // namespace parvex
