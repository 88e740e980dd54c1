#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "checks/MakerCheck.h"
#include "checks/MakerList.h"
#include "core/Findings.h"
#include "run/Session.h"
#include "run/Steps.h"
#include "tests/support/SessionProbe.h"
#include "tests/support/TempDir.h"

namespace parvex {
namespace {

using test::lines;

// Shift-JIS as the lists are stored: "アルファ", "ア", and a half-width katakana pair.
const std::string kAlphaSjis = "\x83\x41\x83\x8B\x83\x74\x83\x40";
const std::string kA = "\x83\x41";
const std::string kReplacement = "\xEF\xBF\xBD";

std::string repeat(const std::string& s, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += s;
    return out;
}

bool validUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<std::uint8_t>(s[i]);
        const std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<std::uint8_t>(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

class MakerFixture : public testing::Test {
protected:
    void writeList(const std::string& bytes) { dir.write("Dorclic.txt", bytes); }

    // The header code and Maker_Chars as the run fills them: at most two characters, ending at 00H.
    void setCode(const std::string& code) {
        s.state.Header[kMakerCode] = code.size() > 0 ? static_cast<std::uint8_t>(code[0]) : 0;
        s.state.Header[kMakerCode + 1] = code.size() > 1 ? static_cast<std::uint8_t>(code[1]) : 0;
        s.state.Maker_Chars.fill(0);
        for (std::size_t i = 0; i < 2 && i < code.size() && code[i] != '\0'; ++i)
            s.state.Maker_Chars[i] = static_cast<std::uint8_t>(code[i]);
    }

    void setLanguage(Language lang) { s.model.setLanguage(lang); }

    const std::string& shown() const { return s.model.text(Field::Maker); }
    Colour makerColour() const { return s.model.field(Field::Maker).colour; }

    test::TempDir dir;
    Session s{dir.path().string()};
};

struct ListRow {
    const char* fault;
    std::string list;
    std::string code;
    Language language;
    std::string shown;  // the Maker text, or "" with noData
    bool noData = false;
};

void PrintTo(const ListRow& row, std::ostream* os) { *os << row.fault; }

ListRow named(const char* fault, std::string list, std::string code, Language lang, std::string shown) {
    return {fault, std::move(list), std::move(code), lang, std::move(shown), false};
}

ListRow noData(const char* fault, std::string list, std::string code, Language lang) {
    return {fault, std::move(list), std::move(code), lang, "", true};
}

class MakerListLines : public MakerFixture, public testing::WithParamInterface<ListRow> {};

TEST_P(MakerListLines, ShownName) {
    const ListRow& row = GetParam();
    writeList(row.list);
    setCode(row.code);
    setLanguage(row.language);
    runStep(s, Step::CheckMakerCode);

    EXPECT_TRUE(s.model.field(Field::Maker).visible);
    if (row.noData) {
        EXPECT_EQ(shown(), row.language == Language::English ? "No matching data" : "該当データなし");
        EXPECT_EQ(makerColour(), Colour::Red);
    } else {
        EXPECT_EQ(shown(), row.shown);
        EXPECT_EQ(makerColour(), Colour::Black);
    }
    // Neither the name nor "No matching data" is a Finding.
    EXPECT_TRUE(lines(s).empty());
}

constexpr Language kEn = Language::English;
constexpr Language kJa = Language::Japanese;
const std::string kAlphaLine = "01," + kAlphaSjis + ",Alpha Games\n";

INSTANTIATE_TEST_SUITE_P(
    MakerCheck, MakerListLines,
    testing::Values(
        named("JapaneseNameInJapanese", kAlphaLine, "01", kJa, "アルファ"),
        named("FirstEnglishWordInEnglish", kAlphaLine, "01", kEn, "Alpha"),
        named("CrLfLineEndsJapanese", "02,B,Beta\r\n01," + kA + ",Alpha Games\r\n", "01", kJa, "ア"),
        named("CrLfLineEndsEnglish", "02,B,Beta\r\n01," + kA + ",Alpha Games\r\n", "01", kEn, "Alpha"),
        named("BlankJapaneseNameShowsEnglish", "01, ,Alpha Games\n", "01", kJa, "Alpha"),
        noData("TwoPlaceholdersEnglish", "01,X,Y\n", "01", kEn),
        noData("TwoPlaceholdersJapanese", "01,X,Y\n", "01", kJa),
        noData("EmptyEnglishNameIsPlaceholder", "01,X,\n", "01", kEn),
        noData("EmptyEnglishNameCrLf", "01,X,\r\n", "01", kJa),
        noData("EmptyEnglishNameAtEndOfFile", "01,X,", "01", kEn),
        named("OnePlaceholderShownJapanese", "01,X,Alpha\n", "01", kJa, "X"),
        named("OnePlaceholderShownEnglish", "01,X,Alpha\n", "01", kEn, "Alpha"),
        named("OneCharEnglishLongJapanese", "01," + kA + kA + ",Y\n", "01", kEn, "Y"),
        named("DoubleByteNameIsNoPlaceholder", "01," + kA + ",Y\n", "01", kJa, "ア"),
        named("LastLineWithoutLineEnd", "02,B,Beta\n01," + kA + ",Alpha", "01", kJa, "ア"),
        named("LastLineWithoutLineEndEnglish", "02,B,Beta\n01," + kA + ",Alpha", "01", kEn, "Alpha"),
        named("LastLineWithLineEnd", "02,B,Beta\n01," + kA + ",Alpha\n", "01", kEn, "Alpha"),
        noData("CodeIsCaseSensitive", "0a,A,Alpha\n", "0A", kEn),
        named("DuplicateCodeFirstWins", "01,A,First\n01,B,Second\n", "01", kEn, "First"),
        noData("NoLineMatches", "02,B,Beta\n03,C,Gamma\n", "01", kJa),
        noData("NoLineMatchesLastWithoutLineEnd", "02,B,Beta\n03,C,Gamma", "01", kEn),
        noData("EmptyList", "", "01", kEn), noData("OnlyLineEnds", "\n\n\r\n", "01", kEn),
        named("LongLineRemainderReadAsNextLine", "02" + std::string(39, 'x') + "01,R,Remainder\n", "01", kEn,
              "Remainder"),
        named("LineOf41KeepsNextLine", "02" + std::string(38, 'x') + "\n01,A,Alpha\n", "01", kEn, "Alpha"),
        noData("LineOf42SwallowsNextLine", "02" + std::string(39, 'x') + "\n01,A,Alpha\n", "01", kEn),
        named("CrLfCountsAsOneInTheSkip", "02" + std::string(38, 'x') + "\r\n01,A,Alpha\r\n", "01", kEn, "Alpha"),
        named("LoneCarriageReturnCountsInTheSkip", "02" + std::string(38, 'x') + "\r01,A,Alpha\n", "01", kEn,
              "Alpha"),
        named("LeadingWhiteSpaceBeforeWord", "01,A, \t Alpha Games\n", "01", kEn, "Alpha"),
        named("EnglishNameCutAt39", "01,A," + std::string(50, 'E') + "\n", "01", kEn, std::string(39, 'E')),
        named("EnglishShiftJisCutMidCharacter", "01, ," + repeat(kA, 20) + "\n", "01", kEn, repeat("ア", 19)),
        named("JapaneseNameCutAt59Bytes", "01," + repeat(kA, 40) + ",Alpha\n", "01", kJa, repeat("ア", 29)),
        noData("MissingCommaAtEndOfFile", "01," + kA + "\x83\x8B", "01", kJa),
        noData("MissingCommaAfterSeparatorAtEnd", "01", "01", kEn),
        named("InvalidShiftJisByte", "01," + kA + "\x80" + kA + ",Alpha\n", "01", kJa, "ア" + kReplacement + "ア"),
        named("HalfWidthKatakana", "01,\xB1\xB2,Alpha\n", "01", kJa, "ｱｲ"),
        named("EnglishTruncatedMidCharacterAtEnd", "01,A,Alpha\x83", "01", kEn, "Alpha"),
        named("Utf8List", "01,アルファ,Alpha\n", "01", kJa, "アルファ"),
        named("Utf8NameCutMidCharacter", "01," + repeat("ア", 20) + ",Alpha\n", "01", kJa, repeat("ア", 19)),
        named("SeparatorSplitsAUtf8Character", "01アイ,Alpha\n", "01", kJa, kReplacement + kReplacement + "イ"),
        noData("NulBytes", std::string(1000, '\0'), "01", kEn)),
    [](const testing::TestParamInfo<ListRow>& p) { return std::string(p.param.fault); });

struct CodeRow {
    const char* fault;
    std::string code;
    bool bad;
};

void PrintTo(const CodeRow& row, std::ostream* os) { *os << row.fault; }

class MakerCodes : public MakerFixture, public testing::WithParamInterface<CodeRow> {};

TEST_P(MakerCodes, Verdict) {
    const CodeRow& row = GetParam();
    setCode(row.code);
    runStep(s, Step::CheckMakerCode);
    if (row.bad) {
        EXPECT_EQ(lines(s), std::vector<std::string>{"'Maker Code' is incorrect."});
        EXPECT_EQ(s.model.field(Field::Maker_ASCII).colour, Colour::Red);
        EXPECT_EQ(s.model.field(Field::Maker_Code).colour, Colour::Red);
    } else {
        EXPECT_TRUE(lines(s).empty());
        EXPECT_EQ(s.model.field(Field::Maker_ASCII).colour, Colour::Black);
        EXPECT_EQ(s.model.field(Field::Maker_Code).colour, Colour::Black);
    }
    // Without a list the name box is never shown.
    EXPECT_FALSE(s.model.field(Field::Maker).visible);
}

INSTANTIATE_TEST_SUITE_P(MakerCheck, MakerCodes,
                         testing::Values(CodeRow{"DoubleZero", "00", true},
                                         CodeRow{"ZeroThenNul", std::string("0\0", 2), true},
                                         CodeRow{"NulCode", std::string(2, '\0'), true},
                                         CodeRow{"BracketFirst", "[0", true}, CodeRow{"LowerCase", "ab", true},
                                         CodeRow{"SlashBelowDigits", "/1", true},
                                         CodeRow{"BracketSecond", "Z[", true}, CodeRow{"HighByte", "0\xFF", true},
                                         CodeRow{"Blank", " 1", true}, CodeRow{"ZeroOne", "01", false},
                                         CodeRow{"ZeroZ", "0Z", false}, CodeRow{"DoubleZ", "ZZ", false},
                                         CodeRow{"OneZero", "10", false}, CodeRow{"Punctuation", ":@", false}),
                         [](const testing::TestParamInfo<CodeRow>& p) { return std::string(p.param.fault); });

using MakerList = MakerFixture;

TEST_F(MakerList, BadCodeGetsFindingAndName) {
    writeList("ab," + kA + ",Alpha\n");
    setCode("ab");
    setLanguage(kJa);
    runStep(s, Step::CheckMakerCode);
    EXPECT_EQ(lines(s), std::vector<std::string>{"メーカーコードにエラーがあります。"});
    EXPECT_EQ(shown(), "ア");
}

TEST_F(MakerList, MissingListLeavesMakerAlone) {
    setCode("01");
    s.model.setText(Field::Maker, "kept");
    runStep(s, Step::CheckMakerCode);
    EXPECT_FALSE(s.model.field(Field::Maker).visible);
    EXPECT_EQ(shown(), "kept");
    EXPECT_EQ(makerColour(), Colour::Black);
    EXPECT_TRUE(lines(s).empty());
}

TEST_F(MakerList, DirectoryNamedLikeTheListIsNoList) {
    std::filesystem::create_directory(dir.path() / "Dorclic.txt");
    setCode("01");
    runStep(s, Step::CheckMakerCode);
    EXPECT_FALSE(s.model.field(Field::Maker).visible);
    EXPECT_TRUE(shown().empty());
}

#ifndef _WIN32  // Windows has no FIFOs in the file system
TEST_F(MakerList, FifoNamedLikeTheListIsNoList) {
    ASSERT_EQ(::mkfifo(dir.file("Dorclic.txt").c_str(), 0600), 0);
    setCode("01");
    runStep(s, Step::CheckMakerCode);
    EXPECT_FALSE(s.model.field(Field::Maker).visible);
}
#endif

TEST_F(MakerList, StaysVisibleOnceOpened) {
    writeList(kAlphaLine);
    setCode("01");
    runStep(s, Step::CheckMakerCode);
    std::filesystem::remove(dir.path() / "Dorclic.txt");
    s.model.setText(Field::Maker, "");
    runStep(s, Step::CheckMakerCode);
    EXPECT_TRUE(s.model.field(Field::Maker).visible);
    EXPECT_TRUE(shown().empty());
}

TEST_F(MakerList, ProgramDirWithTrailingSlash) {
    Session t{dir.path().string() + "/"};
    writeList(kAlphaLine);
    t.state.Header[kMakerCode] = '0';
    t.state.Header[kMakerCode + 1] = '1';
    t.state.Maker_Chars = {'0', '1', 0};
    runStep(t, Step::CheckMakerCode);
    EXPECT_EQ(t.model.text(Field::Maker), "Alpha");
}

TEST_F(MakerList, StoredBuffersAndWorkBoxes) {
    writeList("02,B,Beta\n" + kAlphaLine);
    setCode("01");
    runStep(s, Step::CheckMakerCode);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.state.Maker_Name.data())), kAlphaSjis);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.state.Maker_Name2.data())), "Alpha");
    EXPECT_EQ(s.model.text(Field::Edit6), dir.path().string());
    EXPECT_EQ(s.model.text(Field::Edit1), "01");
    EXPECT_EQ(s.model.text(Field::Edit2), "01");
}

TEST_F(MakerList, LongJapaneseNameKeepsItsFirst59Bytes) {
    writeList("01," + repeat(kA, 40) + ",Alpha\n");
    setCode("01");
    runStep(s, Step::CheckMakerCode);
    const std::string stored = repeat(kA, 40).substr(0, 59);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.state.Maker_Name.data()), 59), stored);
    EXPECT_EQ(s.state.Maker_Name[59], 0);
    EXPECT_EQ(shown(), "Alpha");  // the English name after the long Japanese one is still found
}

TEST_F(MakerList, NewListClearsTheOldNames) {
    writeList(kAlphaLine);
    setCode("01");
    runStep(s, Step::CheckMakerCode);
    writeList("02,B,Beta\n");
    runStep(s, Step::CheckMakerCode);
    EXPECT_EQ(s.state.Maker_Name[0], 0);
    EXPECT_EQ(s.state.Maker_Name2[0], ' ');
    EXPECT_EQ(shown(), "No matching data");
}

TEST_F(MakerList, CurrentDirectoryUnchanged) {
    const auto before = std::filesystem::current_path();
    writeList(kAlphaLine);
    setCode("01");
    runStep(s, Step::CheckMakerCode);
    EXPECT_EQ(std::filesystem::current_path(), before);
}

TEST_F(MakerList, HugeListMatchAtTheEnd) {
    writeList(repeat("02,B,Beta\n", 400000) + "01,A,Alpha\n");
    setCode("01");
    runStep(s, Step::CheckMakerCode);
    EXPECT_EQ(shown(), "Alpha");
}

TEST_F(MakerList, HugeListWithoutLineEnds) {
    writeList(std::string(4 << 20, 'x'));
    setCode("01");
    runStep(s, Step::CheckMakerCode);
    EXPECT_EQ(shown(), "No matching data");
}

TEST_F(MakerList, HugeNameWithoutCommaKeepsNoPartialName) {
    writeList("01," + std::string(4 << 20, 'x'));
    setCode("01");
    setLanguage(kJa);
    runStep(s, Step::CheckMakerCode);
    EXPECT_EQ(shown(), "該当データなし");
    EXPECT_EQ(s.state.Maker_Name[0], 0);
}

// Arbitrary bytes end the search with a displayable text whatever they hold.
TEST_F(MakerList, BinaryListsEndWithDisplayableText) {
    std::uint32_t x = 12345;
    for (int round = 0; round < 40; ++round) {
        std::string bytes;
        const std::size_t size = static_cast<std::size_t>(round) * 97;
        for (std::size_t i = 0; i < size; ++i) {
            x = x * 1664525u + 1013904223u;
            bytes += static_cast<char>(x >> 24);
        }
        // Matching starts give the name readers something to chew on.
        if (round % 2 == 1) bytes.insert(0, "01");
        writeList(bytes);
        setCode("01");
        setLanguage(round % 4 < 2 ? kEn : kJa);
        s.model.setText(Field::Maker, "");
        runStep(s, Step::CheckMakerCode);
        EXPECT_TRUE(validUtf8(shown())) << round;
        EXPECT_TRUE(s.model.field(Field::Maker).visible);
    }
}

TEST_F(MakerList, ShowMakerNameDecodesTheStoredName) {
    std::copy(kAlphaSjis.begin(), kAlphaSjis.end(), s.state.Maker_Name.begin());
    runStep(s, Step::ShowMakerName);
    EXPECT_EQ(shown(), "アルファ");

    const std::string utf8 = "アルファ";
    s.state.Maker_Name.fill(0);
    std::copy(utf8.begin(), utf8.end(), s.state.Maker_Name.begin());
    runStep(s, Step::ShowMakerName);
    EXPECT_EQ(shown(), "アルファ");

    s.state.Maker_Name.fill(0x83);  // no terminator, and a cut lead byte at the end
    runStep(s, Step::ShowMakerName);
    EXPECT_TRUE(validUtf8(shown()));
}

TEST(MakerNameDecoding, BrokenSequenceKeepsTheByteAfterIt) {
    EXPECT_EQ(decodeName("\xE3"
                         "A",
                         ListEncoding::Utf8),
              kReplacement + "A");
    EXPECT_EQ(decodeName("\x83"
                         "A",
                         ListEncoding::ShiftJis),
              "ア");
    EXPECT_EQ(decodeName("\x83 A", ListEncoding::ShiftJis), kReplacement + " A");
    EXPECT_EQ(decodeName("\xED\xA0\x80", ListEncoding::Utf8), kReplacement + kReplacement + kReplacement);
}

// The language switch calls the check again: the other language's name, the same colours.
TEST_F(MakerList, SwitchShowsTheOtherLanguage) {
    writeList(kAlphaLine);
    setCode("01");
    s.state.Run_Started = true;
    runStep(s, Step::CheckMakerCode);
    EXPECT_EQ(shown(), "Alpha");
    s.switchLanguage();
    EXPECT_EQ(shown(), "アルファ");
    EXPECT_EQ(makerColour(), Colour::Black);
    s.switchLanguage();
    EXPECT_EQ(shown(), "Alpha");
}

TEST_F(MakerList, SwitchKeepsNoDataRedInBothLanguages) {
    writeList("02,B,Beta\n");
    setCode("00");
    s.state.Run_Started = true;
    runStep(s, Step::CheckMakerCode);
    EXPECT_EQ(shown(), "No matching data");
    const auto english = lines(s);

    setLanguage(kJa);
    clearList(s.model);
    runStep(s, Step::CheckMakerCode);
    EXPECT_EQ(shown(), "該当データなし");
    EXPECT_EQ(makerColour(), Colour::Red);
    EXPECT_EQ(s.model.field(Field::Maker_Code).colour, Colour::Red);
    EXPECT_EQ(lines(s), std::vector<std::string>{"メーカーコードにエラーがあります。"});
    EXPECT_NE(lines(s), english);
}

TEST_F(MakerList, SwitchWithoutListShowsTheStoredJapaneseName) {
    writeList(kAlphaLine);
    setCode("01");
    s.state.Run_Started = true;
    runStep(s, Step::CheckMakerCode);
    std::filesystem::remove(dir.path() / "Dorclic.txt");
    s.switchLanguage();
    EXPECT_EQ(shown(), "アルファ");
    s.switchLanguage();
    EXPECT_EQ(shown(), "アルファ");
}

}  // namespace
}  // namespace parvex
