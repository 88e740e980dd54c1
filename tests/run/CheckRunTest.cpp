#include <sys/stat.h>

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

class CheckRun : public ::testing::Test {
protected:
    TempDir dir;
    Session session{dir.path().string()};

    std::string writeSample(const std::string& name, void (*change)(std::vector<std::uint8_t>&) = nullptr) {
        auto image = buildSampleImage(sampleOptionsForName(name));
        if (change) {
            change(image);
            finalizeChecksums(image);
        }
        return dir.write(name, image);
    }
};

TEST_F(CheckRun, TheCleanSampleRaisesNothing) {
    session.load(writeSample("QPVXJ00.SRL"));
    EXPECT_EQ(lines(session), std::vector<std::string>{});
    EXPECT_EQ(session.model.messages.text, "There are no inconsistencies.");
    EXPECT_EQ(session.model.messages.colour, Colour::Black);
    EXPECT_EQ(session.model.caption, dir.file("QPVXJ00.SRL"));
    for (std::size_t i = 0; i < kFieldCount; ++i)
        EXPECT_NE(session.model.field(static_cast<Field>(i)).colour, Colour::Red) << fieldName(static_cast<Field>(i));
}

TEST_F(CheckRun, TheSampleNamedAfterTheFileCarriesItsCodeAndRelease) {
    session.load(writeSample("QABCE10.SRL"));
    EXPECT_EQ(session.model.text(Field::Initial_Code), "ABCE");
    EXPECT_EQ(session.model.text(Field::Mask_Rom_Ver), "01");
    EXPECT_EQ(lines(session), std::vector<std::string>{});
}

TEST_F(CheckRun, RawHeaderValuesAreShownInTheirFormats) {
    const std::string path = writeSample("QPVXJ00.SRL", [](std::vector<std::uint8_t>& img) {
        const char code[] = {'A', 'B', 'C', 'D'};
        std::copy(code, code + 4, img.begin() + 0x00C);
        img[0x005] = 0x00;
        img[0x020] = 0x80;
        img[0x021] = 0x40;
        img[0x022] = img[0x023] = 0x00;
    });
    session.load(path);
    const WindowModel& m = session.model;
    EXPECT_EQ(m.text(Field::Initial_Code), "ABCD");
    EXPECT_EQ(m.text(Field::Game_Code), "41 42 43 44");
    EXPECT_EQ(m.text(Field::Game_Title), "PARVE");
    EXPECT_EQ(m.text(Field::Title_Code), "50 41 52 56 45 00 53 41 4D 50 4C 45");
    EXPECT_EQ(m.text(Field::ARM9_ROM_Offset), "80 40 00 00");
    EXPECT_EQ(m.text(Field::Edit8), "16512");
    EXPECT_EQ(m.text(Field::Maker_Code), "30 31");
    EXPECT_EQ(m.text(Field::Maker_ASCII), "01");
}

TEST_F(CheckRun, StoredChecksumsAreShownInFileOrderAndAsNumbers) {
    auto image = buildSampleImage(sampleOptionsForName("QPVXJ00.SRL"));
    image[0x06C] = 0x34;
    image[0x06D] = 0x12;
    session.load(dir.write("QPVXJ00.SRL", image));
    EXPECT_EQ(session.model.text(Field::Secure_CRC), "34 12");
    EXPECT_EQ(session.model.text(Field::Edit11), "1234");
}

TEST_F(CheckRun, AnUnsignedOffsetOfAllOnesIsNotShownNegative) {
    session.load(writeSample("QPVXJ00.SRL", [](std::vector<std::uint8_t>& img) {
        std::fill(img.begin() + 0x020, img.begin() + 0x024, 0xFF);
    }));
    EXPECT_EQ(session.model.text(Field::Edit8), "4294967295");
}

TEST_F(CheckRun, AFileThatCannotBeOpenedGivesOneBlackNoticeAndKeepsTheCaption) {
    session.load(writeSample("QPVXJ00.SRL"));
    const std::string caption = session.model.caption;
    for (const std::string& name : {dir.file("missing.SRL"), std::string(), dir.path().string()}) {
        session.load(name);
        EXPECT_EQ(lines(session), std::vector<std::string>{"Unable to open File."}) << name;
        EXPECT_EQ(session.model.messages.text, "Unable to open File.");
        EXPECT_EQ(session.model.messages.colour, Colour::Black);
        EXPECT_EQ(session.model.caption, caption);
        EXPECT_TRUE(session.lastOpenFailed);
        EXPECT_TRUE(session.state.Run_Started);
    }
}

#ifndef _WIN32  // Windows has no FIFOs in the file system
TEST_F(CheckRun, AFifoIsRefusedWithoutBlocking) {
    const std::string fifo = dir.file("QPVXJ00.SRL");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    session.load(fifo);
    EXPECT_EQ(lines(session), std::vector<std::string>{"Unable to open File."});
}
#endif

TEST_F(CheckRun, TheOpenFailureIsJapaneseInJapaneseMode) {
    session.switchLanguage();
    session.load(dir.file("nothing"));
    EXPECT_EQ(lines(session), std::vector<std::string>{"ファイルが開けません。"});
}

TEST_F(CheckRun, ThreeLoadsLeaveTheThirdFileShowing) {
    const std::string a = writeSample("QAAAJ00.SRL");
    const std::string b = writeSample("QBBBJ00.SRL");
    const std::string c = writeSample("QCCCJ00.SRL");
    for (const auto& p : {a, b, c}) session.load(p);
    EXPECT_EQ(session.model.caption, c);
    EXPECT_EQ(session.model.text(Field::Initial_Code), "CCCJ");
    EXPECT_EQ(session.model.text(Field::File_Name), "QCCCJ00.SRL");
}

// A short image after a long one must not inherit the long one's bytes in any buffer.
TEST_F(CheckRun, AShortImageIsJudgedOnItsOwnBytesWhateverWasCheckedBefore) {
    const std::vector<std::uint8_t> shortImage(0x100, 0x41);
    Session fresh(dir.path().string());
    fresh.load(dir.write("short-alone.bin", shortImage));

    session.load(writeSample("QPVXJ00.SRL"));
    session.load(dir.write("short-alone.bin", shortImage));
    EXPECT_EQ(lines(session), lines(fresh));
    for (Field f : {Field::Secure_crc_ans, Field::Head_CRC, Field::CRC_Key_table, Field::CRC_seg3,
                    Field::logo_CRC_test, Field::libsyscall})
        EXPECT_EQ(session.model.text(f), fresh.model.text(f)) << fieldName(f);
}

TEST_F(CheckRun, FilesShorterThanEveryRegionStillRunEveryStep) {
    for (std::size_t size : {0u, 1u, 0x17Fu, 0x180u, 0x3FFFu, 0x4001u}) {
        std::vector<std::uint8_t> img(size, 0x00);
        session.load(dir.write("QPVXJ00.SRL", img));
        EXPECT_FALSE(session.lastOpenFailed);
        EXPECT_EQ(session.model.text(Field::ROM), "No matching data") << size;
        EXPECT_FALSE(session.model.text(Field::Head_CRC).empty()) << size;
        EXPECT_FALSE(session.model.text(Field::Seg3_crc_check).empty()) << size;
        EXPECT_EQ(session.model.caption, dir.file("QPVXJ00.SRL"));
    }
}

TEST_F(CheckRun, ARunResetsTheBoxesThePreviousRunTurnedRed) {
    session.load(writeSample("QPVXJ00.SRL", [](std::vector<std::uint8_t>& img) { img[0x012] = 0x01; }));
    ASSERT_EQ(session.model.field(Field::Product_Code).colour, Colour::Red);
    session.load(writeSample("QPVXJ00.SRL"));
    EXPECT_EQ(session.model.field(Field::Product_Code).colour, Colour::Black);
    EXPECT_EQ(session.model.messages.colour, Colour::Black);
}

TEST(FileCrcCommand, BeforeAnyLoadItAddsANoticeAndKeepsTheDesignText) {
    TempDir dir;
    Session s(dir.path().string());
    s.computeFileCrc();
    EXPECT_EQ(s.model.text(Field::CRC_ans), "CRC");
    ASSERT_EQ(s.model.messages.lines.size(), 1u);
    EXPECT_EQ(s.model.messages.lines[0].text, "Can't open File.");
    EXPECT_EQ(s.model.messages.lines[0].severity, Severity::Notice);
    EXPECT_EQ(s.model.messages.colour, Colour::Black);
}

TEST(FileCrcCommand, ShowsTheCatalogueValuesAndALoadEmptiesIt) {
    TempDir dir;
    Session s(dir.path().string());
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* crc;
    };
    for (const Case& c : {Case{{1, 2, 3, 4}, "26FF"}, Case{{1, 2, 3, 4, 5}, "26FF"}, Case{{}, "0000"}}) {
        s.load(dir.write("img.bin", c.bytes));
        EXPECT_EQ(s.model.text(Field::CRC_ans), "");
        s.computeFileCrc();
        EXPECT_EQ(s.model.text(Field::CRC_ans), c.crc);
        EXPECT_EQ(s.model.field(Field::CRC_ans).colour, Colour::Blue);
    }
}

TEST(SideFiles, FerinIniBesideTheProgramShowsTheThreeControls) {
    TempDir dir;
    {
        Session without(dir.path().string());
        EXPECT_FALSE(without.model.field(Field::MROM_Ver).visible);
        EXPECT_FALSE(without.model.control(Control::Label_FERIN).visible);
    }
    dir.write("ferin.ini", "");
    Session with(dir.path().string());
    EXPECT_TRUE(with.model.field(Field::MROM_Ver).visible);
    EXPECT_TRUE(with.model.control(Control::Label_FERIN).visible);
    EXPECT_TRUE(with.model.control(Control::Label_MROM).visible);
}

TEST(SideFiles, AFerinIniThatIsADirectoryDoesNotCount) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "ferin.ini");
    Session s(dir.path().string());
    EXPECT_FALSE(s.model.field(Field::MROM_Ver).visible);
}

}  // namespace
}  // namespace parvex
