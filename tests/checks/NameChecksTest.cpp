#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "checks/NameChecks.h"
#include "core/Findings.h"
#include "run/Session.h"
#include "run/Steps.h"
#include "tests/support/SessionProbe.h"

namespace parvex {
namespace {

using test::lines;
using test::setJapanese;
using test::texts;

void setBytes(Session& s, std::size_t offset, const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) s.state.Header[offset + i] = static_cast<std::uint8_t>(bytes[i]);
}

// The game code as the run shows it in Initial_Code: at most four characters, ending at a 00H.
std::string codeText(const std::string& code) { return code.substr(0, code.find('\0')); }

// The game code text the run hands to the game code check, as read at 0x00C.
void setCodeText(Session& s, const std::string& text) {
    s.state.Game_Code_Chars.fill(0);
    for (std::size_t i = 0; i < 4 && i < text.size(); ++i)
        s.state.Game_Code_Chars[i] = static_cast<std::uint8_t>(text[i]);
}

struct FileNameRow {
    const char* fault;
    std::string path;
    std::string headerCode;
    std::optional<Msg> finding;
    std::string remaster;
    std::string submission;
};

void PrintTo(const FileNameRow& row, std::ostream* os) { *os << row.fault; }

class FileNameForms : public testing::TestWithParam<FileNameRow> {};

TEST_P(FileNameForms, VerdictAndVersionCharacters) {
    const FileNameRow& row = GetParam();
    Session s{"/nonexistent"};
    setBytes(s, kGameCode, row.headerCode);
    s.fileName = row.path;
    runStep(s, Step::CheckFileName);

    EXPECT_EQ(s.model.text(Field::Remaster_Ver), row.remaster);
    EXPECT_EQ(s.model.text(Field::Submission_Ver), row.submission);
    if (row.finding) {
        EXPECT_EQ(lines(s), texts(s, {*row.finding}));
        EXPECT_EQ(s.model.field(Field::File_Name).colour, Colour::Red);
        EXPECT_EQ(s.model.messages.colour, Colour::Red);
    } else {
        EXPECT_TRUE(lines(s).empty());
        EXPECT_EQ(s.model.messages.text, "There are no inconsistencies.");
        EXPECT_EQ(s.model.field(Field::File_Name).colour, Colour::Black);
        EXPECT_EQ(s.model.messages.colour, Colour::Black);
    }
}

const std::string kLongTail(300, 'X');

INSTANTIATE_TEST_SUITE_P(
    NameChecks, FileNameForms,
    testing::Values(
        FileNameRow{"SubmissionName", "QABCJ01.SRL", "ABCJ", std::nullopt, "0", "1"},
        FileNameRow{"DirectoryIgnored", "/home/dev/roms/QABCJ01.SRL", "ABCJ", std::nullopt, "0", "1"},
        FileNameRow{"LowerCaseDirectoryIgnored", "/tmp/qabcj/QABCJ01.SRL", "ABCJ", std::nullopt, "0", "1"},
        FileNameRow{"PunctuationVersionsAccepted", "QABCJ=;.SRL", "ABCJ", std::nullopt, "=", ";"},
        FileNameRow{"VersionAtZ", "QABCJZ0.SRL", "ABCJ", std::nullopt, "Z", "0"},
        FileNameRow{"LowerExtension", "QABCJ01.srl", "ABCJ", Msg::FileNameCaps, "0", "1"},
        FileNameRow{"MixedExtension", "QABCJ01.Srl", "ABCJ", Msg::FileNameCaps, "0", "1"},
        FileNameRow{"LastExtensionLetterLower", "QABCJ01.SRl", "ABCJ", Msg::FileNameCaps, "0", "1"},
        FileNameRow{"LowerGameCodeInName", "qabcj01.SRL", "ABCJ", Msg::FileNameCaps, "0", "1"},
        FileNameRow{"LowerLeadLetter", "qABCJ01.SRL", "ABCJ", Msg::FileNameCaps, "0", "1"},
        FileNameRow{"LowerSixthIsNotCapsCase", "QABCJ0a.SRL", "ABCJ", Msg::FileNameFormat, "0", "a"},
        FileNameRow{"LowerFifthIsNotCapsCase", "QABCJa1.SRL", "ABCJ", Msg::FileNameFormat, "a", "1"},
        FileNameRow{"ExtraExtension", "QABCJ01.SRL.bak", "ABCJ", Msg::FileNameFormat, "0", "1"},
        FileNameRow{"OneVersionCharacter", "QABCJ1.SRL", "ABCJ", Msg::FileNameFormat, "1", "."},
        FileNameRow{"GameCodeDiffers", "QABCE01.SRL", "ABCJ", Msg::FileNameFormat, "0", "1"},
        FileNameRow{"WrongLeadLetter", "PABCJ01.SRL", "ABCJ", Msg::FileNameFormat, "0", "1"},
        FileNameRow{"VersionAboveZ", "QABCJ[1.SRL", "ABCJ", Msg::FileNameFormat, "[", "1"},
        FileNameRow{"VersionBelowZero", "QABCJ)1.SRL", "ABCJ", Msg::FileNameFormat, ")", "1"},
        FileNameRow{"WrongDot", "QABCJ01_SRL", "ABCJ", Msg::FileNameFormat, "0", "1"},
        FileNameRow{"EmptyName", "", "ABCJ", Msg::FileNameFormat, "", ""},
        FileNameRow{"PathEndingInSlash", "/home/dev/QABCJ01.SRL/", "ABCJ", Msg::FileNameFormat, "", ""},
        FileNameRow{"ShortName", "QAB", "ABCJ", Msg::FileNameFormat, "", ""},
        FileNameRow{"NonAsciiByteNeverMatchesHeader",
                    "Q\xE3"
                    "BCJ01.SRL",
                    "\xE3"
                    "BCJ",
                    Msg::FileNameFormat, "0", "1"},
        FileNameRow{"NonAsciiVersion", "QABCJ\xC3\xA9.SRL", "ABCJ", Msg::FileNameFormat, "\xC3", "\xA9"},
        FileNameRow{"ComponentOver255Bytes", "QABCJ01.SRL" + kLongTail, "ABCJ", Msg::FileNameFormat, "0", "1"},
        FileNameRow{"LowerCaseInOverlongComponent", "qABCJ01.SRL" + kLongTail, "ABCJ", Msg::FileNameCaps, "0", "1"},
        FileNameRow{"HugeName", std::string(100000, 'q'), "ABCJ", Msg::FileNameCaps, "q", "q"}),
    [](const testing::TestParamInfo<FileNameRow>& p) { return std::string(p.param.fault); });

TEST(FileName, JapaneseTexts) {
    Session s{"/nonexistent"};
    setJapanese(s);
    setBytes(s, kGameCode, "ABCJ");
    s.fileName = "QABCJ01.SRL";
    runStep(s, Step::CheckFileName);
    EXPECT_EQ(s.model.messages.text, "矛盾点はありません。");

    s.fileName = "QABCJ01.srl";
    runStep(s, Step::CheckFileName);
    EXPECT_EQ(lines(s), std::vector<std::string>{
                            "ファイル名の形式が間違っています。ファイル名はすべて大文字を使用してください。"});
    s.fileName = "QABCE01.SRL";
    runStep(s, Step::CheckFileName);
    EXPECT_EQ(lines(s).back(), "ファイル名の形式が間違っています。マスターROM提出手順書をご確認ください。");
}

struct TitleRow {
    const char* fault;
    std::array<std::uint8_t, 12> title;
    std::optional<Msg> finding;
};

void PrintTo(const TitleRow& row, std::ostream* os) { *os << row.fault; }

std::array<std::uint8_t, 12> title(const std::string& text) {
    std::array<std::uint8_t, 12> out{};
    for (std::size_t i = 0; i < text.size() && i < out.size(); ++i) out[i] = static_cast<std::uint8_t>(text[i]);
    return out;
}

class TitleVerdicts : public testing::TestWithParam<TitleRow> {};

TEST_P(TitleVerdicts, OneFindingAtMost) {
    const TitleRow& row = GetParam();
    Session s{"/nonexistent"};
    std::copy(row.title.begin(), row.title.end(), s.state.Header.begin() + kGameTitle);
    runStep(s, Step::CheckGameTitle);
    if (row.finding) {
        EXPECT_EQ(lines(s), texts(s, {*row.finding}));
        EXPECT_EQ(s.model.field(Field::Title_Code).colour, Colour::Red);
        EXPECT_EQ(s.model.field(Field::Game_Title).colour, Colour::Red);
    } else {
        EXPECT_TRUE(lines(s).empty());
        EXPECT_EQ(s.model.field(Field::Title_Code).colour, Colour::Black);
        EXPECT_EQ(s.model.field(Field::Game_Title).colour, Colour::Black);
    }
}

INSTANTIATE_TEST_SUITE_P(
    NameChecks, TitleVerdicts,
    testing::Values(TitleRow{"ShortTitlePadded", title("ABC"), std::nullopt},
                    TitleRow{"FullTitle", title("ABCDEFGHIJKL"), std::nullopt},
                    TitleRow{"AllZero", title(""), std::nullopt}, TitleRow{"RangeEnds", title(" _ABC"), std::nullopt},
                    TitleRow{"CharacterAfterZero", title(std::string("AB\0C", 4)), Msg::TitleSpace},
                    TitleRow{"BlankAfterZero", title(std::string("AB\0 ", 4)), Msg::TitleSpace},
                    TitleRow{"TrailingBlankAfterZero", title(std::string("AB") + std::string(9, '\0') + " "),
                             Msg::TitleSpace},
                    TitleRow{"TrailingBlankPadding", title("ABCDEFGHIJK "), Msg::TitlePadding},
                    TitleRow{"AllBlanks", title(std::string(12, ' ')), Msg::TitlePadding},
                    TitleRow{"LowerCase", title("ABc"), Msg::TitleBadCode},
                    TitleRow{"Backquote", title("AB`"), Msg::TitleBadCode},
                    TitleRow{"ControlByte", title("AB\x1F"), Msg::TitleBadCode},
                    TitleRow{"HighByte", title("AB\xFF"), Msg::TitleBadCode},
                    TitleRow{"LaterSpaceOverridesBadCode", title(std::string("a\0B", 3)), Msg::TitleSpace},
                    TitleRow{"LaterBadCodeOverridesSpace", title(std::string("a\0Bc", 4)), Msg::TitleBadCode},
                    TitleRow{"BadCodeBeatsPadding", title("aBCDEFGHIJK "), Msg::TitleBadCode}),
    [](const testing::TestParamInfo<TitleRow>& p) { return std::string(p.param.fault); });

TEST(GameTitle, JapaneseTexts) {
    for (const auto& [bytes, expected] : std::vector<std::pair<std::string, std::string>>{
             {"ABc", "ソフトタイトルに許可されてないASCIIコードが使われています。"},
             {"ABCDEFGHIJK ", "ソフトタイトルの未使用部分には00Hを登録してください。"},
             {std::string("AB\0C", 4), "ソフトタイトルのスペース部分には20Hを登録してください。"}}) {
        Session t{"/nonexistent"};
        setJapanese(t);
        const auto b = title(bytes);
        std::copy(b.begin(), b.end(), t.state.Header.begin() + kGameTitle);
        runStep(t, Step::CheckGameTitle);
        EXPECT_EQ(lines(t), std::vector<std::string>{expected});
    }
}

struct GameCodeRow {
    const char* fault;
    std::string bytes;
    std::string shown;  // the text the run read at 0x00C
    std::vector<Msg> findings;
};

void PrintTo(const GameCodeRow& row, std::ostream* os) { *os << row.fault; }

class GameCodes : public testing::TestWithParam<GameCodeRow> {};

TEST_P(GameCodes, FindingsInOrder) {
    const GameCodeRow& row = GetParam();
    Session s{"/nonexistent"};
    setBytes(s, kGameCode, row.bytes);
    setCodeText(s, row.shown);
    runStep(s, Step::CheckGameCode);
    EXPECT_EQ(lines(s), texts(s, row.findings));
    const bool bad = !row.findings.empty() && row.findings.back() == Msg::GameCodeBad;
    EXPECT_EQ(s.model.field(Field::Initial_Code).colour, row.findings.empty() ? Colour::Black : Colour::Red);
    EXPECT_EQ(s.model.field(Field::Game_Code).colour, bad ? Colour::Red : Colour::Black);
}

GameCodeRow codeRow(const char* fault, const std::string& bytes, std::vector<Msg> findings) {
    return {fault, bytes, codeText(bytes), std::move(findings)};
}

INSTANTIATE_TEST_SUITE_P(
    NameChecks, GameCodes,
    testing::Values(
        codeRow("PlainCode", "ABCJ", {}), codeRow("RangeEnds", "0_9Z", {}),
        codeRow("SdkDefault", "ZQVJ", {Msg::GameCodeDefault}),
        codeRow("LowerDefaultIsNotDefault", "zqvj", {Msg::GameCodeBad}),
        codeRow("ZeroInside", std::string("AB\0J", 4), {Msg::GameCodeBad}),
        codeRow("AllZero", std::string(4, '\0'), {Msg::GameCodeBad}),
        codeRow("LowerCase", "ABcJ", {Msg::GameCodeBad}), codeRow("Blank", "AB J", {Msg::GameCodeBad}),
        codeRow("BelowDigits", "AB/J", {Msg::GameCodeBad}), codeRow("Backquote", "AB`J", {Msg::GameCodeBad}),
        codeRow("HighByte", "AB\xC0J", {Msg::GameCodeBad}),
        GameCodeRow{"DefaultTextComesBeforeBadBytes", "ZQV\x01", "ZQVJ", {Msg::GameCodeDefault, Msg::GameCodeBad}}),
    [](const testing::TestParamInfo<GameCodeRow>& p) { return std::string(p.param.fault); });

TEST(GameCode, JapaneseTexts) {
    Session s{"/nonexistent"};
    setJapanese(s);
    setBytes(s, kGameCode, "ZQV\x01");
    setCodeText(s, "ZQVJ");
    runStep(s, Step::CheckGameCode);
    EXPECT_EQ(lines(s), (std::vector<std::string>{"イニシャルコードがＳＤＫデフォルトバージョンです。",
                                                  "イニシャルコードに使用不可のASCIIコードが使われています。"}));
}

// The language switch calls the checks again on the same state: same colours, the other language.
TEST(NameChecks, RerunInTheOtherLanguageKeepsColours) {
    Session s{"/nonexistent"};
    setBytes(s, kGameTitle, "Ab");
    setBytes(s, kGameCode, "ZQVJ");
    setCodeText(s, "ZQVJ");
    s.fileName = "/roms/qzqvj01.srl";
    auto runAll = [&] {
        runStep(s, Step::CheckFileName);
        runStep(s, Step::CheckGameTitle);
        runStep(s, Step::CheckGameCode);
    };
    runAll();
    const std::vector<std::string> english = lines(s);
    std::vector<Colour> colours;
    for (Field f : {Field::File_Name, Field::Title_Code, Field::Game_Title, Field::Initial_Code, Field::Game_Code})
        colours.push_back(s.model.field(f).colour);

    setJapanese(s);
    clearList(s.model);
    runAll();
    EXPECT_EQ(lines(s), texts(s, {Msg::FileNameCaps, Msg::TitleBadCode, Msg::GameCodeDefault}));
    EXPECT_NE(lines(s), english);
    std::vector<Colour> again;
    for (Field f : {Field::File_Name, Field::Title_Code, Field::Game_Title, Field::Initial_Code, Field::Game_Code})
        again.push_back(s.model.field(f).colour);
    EXPECT_EQ(again, colours);
    EXPECT_EQ(s.model.messages.text, secondCopy(Msg::GameCodeDefault, Language::Japanese));
}

}  // namespace
}  // namespace parvex
