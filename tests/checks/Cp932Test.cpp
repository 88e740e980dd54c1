// Maker names stored in Shift-JIS decode to the same UTF-8 on every platform: the rows below run in
// the Linux build and in the Windows build (which has no iconv), and on Linux the decoder is also
// held against iconv itself over every one- and two-byte sequence.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "checks/MakerList.h"

#ifndef _WIN32
#include <iconv.h>

#include <cerrno>
#include <random>
#endif

namespace parvex {
namespace {

struct DecodeRow {
    const char* name;
    std::string_view stored;
    std::string_view shown;
};

void PrintTo(const DecodeRow& row, std::ostream* os) { *os << row.name; }

class Cp932Decode : public testing::TestWithParam<DecodeRow> {};

TEST_P(Cp932Decode, ShowsTheNameAsUtf8) {
    EXPECT_EQ(decodeName(GetParam().stored, ListEncoding::ShiftJis), GetParam().shown);
}

// Rows that must decode cleanly, and rows where bytes form no character (U+FFFD each) or a
// character is cut short at the end (dropped).
INSTANTIATE_TEST_SUITE_P(
    MakerNames, Cp932Decode,
    testing::Values(DecodeRow{"AsciiStaysAscii", "ZR Soft 01", "ZR Soft 01"},
                    DecodeRow{"KanjiAndKatakana", "\x93\xfa\x96\x7b\x8c\xea\x83\x5c\x83\x74\x83\x67", "日本語ソフト"},
                    DecodeRow{"TrailByteThatLooksLikeBackslash", "\x83\x5c", "ソ"},
                    DecodeRow{"HalfWidthKatakana", "\xbf\xcc\xc4", "ｿﾌﾄ"},
                    DecodeRow{"NecAndIbmExtensions", "\x87\x40\xfa\x40\xed\x40", "①ⅰ纊"},
                    DecodeRow{"WindowsWaveDashAndBackslash", "\x81\x60\x81\x5f\x5c\x7e", "～＼\\~"},
                    DecodeRow{"UserDefinedAreaToPrivateUse", "\xf0\x40\xf9\xfc", "\xee\x80\x80\xee\x9d\x97"},
                    DecodeRow{"EmptyName", "", ""},
                    DecodeRow{"LoneByte80",
                              "A\x80"
                              "B",
                              "A\xef\xbf\xbd"
                              "B"},
                    DecodeRow{"LoneByteA0AndFD", "\xa0\xfd", "\xef\xbf\xbd\xef\xbf\xbd"},
                    DecodeRow{"LeadWithSpaceAfter", "\x81 x", "\xef\xbf\xbd x"},
                    DecodeRow{"UnassignedPair", "\x85\x40", "\xef\xbf\xbd@"},
                    DecodeRow{"LeadCutShortAtEnd", "AB\x93", "AB"},
                    DecodeRow{"CharacterThenCutShort", "\x93\xfa\x96", "日"}),
    [](const testing::TestParamInfo<DecodeRow>& row) { return std::string(row.param.name); });

#ifndef _WIN32

// The reference: the iconv loop the checker used before it had its own table.
std::string iconvReference(std::string_view stored) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv's own failure value
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<no CP932>";
    std::string out;
    char* in = const_cast<char*>(stored.data());
    std::size_t inLeft = stored.size();
    char buf[256];
    while (inLeft > 0) {
        char* outPtr = buf;
        std::size_t outLeft = sizeof buf;
        const std::size_t before = inLeft;
        const std::size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buf, sizeof buf - outLeft);
        if (r != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG && (inLeft < before || outLeft < sizeof buf)) continue;
        if (errno != EILSEQ) break;
        out += "\xEF\xBF\xBD";
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    return out;
}

TEST(Cp932MatchesIconv, EverySingleByteAloneAndBetweenLetters) {
    for (int b = 0; b < 256; ++b) {
        const std::string alone(1, static_cast<char>(b));
        const std::string between = "A" + alone + "Z";
        EXPECT_EQ(decodeName(alone, ListEncoding::ShiftJis), iconvReference(alone)) << "byte " << b;
        EXPECT_EQ(decodeName(between, ListEncoding::ShiftJis), iconvReference(between)) << "byte " << b;
    }
}

TEST(Cp932MatchesIconv, EveryPairOfBytes) {
    int mismatches = 0;
    for (int lead = 0x80; lead < 0x100; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
            const std::string pair = {static_cast<char>(lead), static_cast<char>(trail), 'x'};
            if (decodeName(pair, ListEncoding::ShiftJis) != iconvReference(pair) && ++mismatches <= 5)
                ADD_FAILURE() << "bytes " << lead << " " << trail;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(Cp932MatchesIconv, RandomNamesFromDoubleByteHeavyBytes) {
    std::mt19937 random(932);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 20000; ++i) {
        std::string name(static_cast<std::size_t>(1 + i % 24), '\0');
        // Half the bytes from the lead range, so pairs, broken pairs and cut-short ends all occur.
        for (char& c : name) c = static_cast<char>(byte(random) % 2 ? 0x80 | byte(random) : byte(random));
        ASSERT_EQ(decodeName(name, ListEncoding::ShiftJis), iconvReference(name)) << "case " << i;
    }
}

#endif

}  // namespace
}  // namespace parvex
