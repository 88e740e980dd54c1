#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "buildinfo/SyscallCheck.h"
#include "core/Findings.h"
#include "run/Session.h"
#include "run/Steps.h"
#include "tests/support/SessionProbe.h"
#include "tests/support/TempDir.h"

namespace parvex {
namespace {

using test::lines;

struct SyscallRow {
    const char* fault;
    int at;  // index set non-zero, or -1 for none
    std::uint8_t value;
    bool defaultVersion;
};

const std::vector<SyscallRow> kRows = {
    {"AllZeroIsDefault", -1, 0x00, true}, {"FirstByteSet", 0, 0x01, false},  {"LastOf32Set", 31, 0x80, false},
    {"MiddleByteSet", 16, 0xFF, false},   {"LineFeedFirst", 0, 0x0A, false}, {"Byte33DoesNotCount", 32, 0x41, true},
};

class SyscallTable : public testing::TestWithParam<SyscallRow> {};

TEST_P(SyscallTable, Verdict) {
    const SyscallRow& row = GetParam();
    Session s{"/nonexistent"};
    if (row.at >= 0) s.state.Syscall_Text[static_cast<std::size_t>(row.at)] = row.value;
    runStep(s, Step::CheckSystemCallLibrary);
    EXPECT_EQ(s.model.text(Field::libsyscall), row.defaultVersion ? "SDK Version" : "Security Version");
    EXPECT_EQ(s.model.field(Field::libsyscall).colour, row.defaultVersion ? Colour::Red : Colour::Black);
    const std::vector<std::string> expected =
        row.defaultVersion ? std::vector<std::string>{"The current 'libsyscall.a' is the default version."}
                           : std::vector<std::string>{};
    EXPECT_EQ(lines(s), expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, SyscallTable, testing::ValuesIn(kRows),
                         [](const auto& p) { return std::string(p.param.fault); });

TEST(SystemCallLibrary, JapaneseFindingKeepsEnglishBoxText) {
    Session s{"/nonexistent"};
    s.switchLanguage();
    runStep(s, Step::CheckSystemCallLibrary);
    EXPECT_EQ(s.model.text(Field::libsyscall), "SDK Version");
    EXPECT_EQ(lines(s), std::vector<std::string>{"システムコールライブラリがSDKデフォルトバージョンです。"});
}

// Through a whole run: the text at the ARM9 ROM offset decides, including one that lies past the end.
TEST(SystemCallLibrary, ReadFromTheArm9RomOffsetOfAnImage) {
    test::TempDir dir;
    std::vector<std::uint8_t> image(0x8000, 0x00);
    image[0x020] = 0x80;
    image[0x021] = 0x40;  // 16512
    Session s{dir.path().string()};

    s.load(dir.write("zero.srl", image));
    EXPECT_EQ(s.model.text(Field::libsyscall), "SDK Version");

    image[16512 + 31] = 0x01;
    s.load(dir.write("own.srl", image));
    EXPECT_EQ(s.model.text(Field::libsyscall), "Security Version");

    image[0x023] = 0x7F;  // far past the end: nothing read, so all zero
    s.load(dir.write("beyond.srl", image));
    EXPECT_EQ(s.model.text(Field::libsyscall), "SDK Version");
}

}  // namespace
}  // namespace parvex
