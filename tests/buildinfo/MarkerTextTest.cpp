#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "buildinfo/MarkerText.h"

namespace parvex {
namespace {

struct CaptionRow {
    const char* fault;
    std::uint8_t major;
    std::uint8_t minor;
    std::uint16_t step;
    bool isStatic;
    const char* caption;
};

void PrintTo(const CaptionRow& row, std::ostream* os) { *os << row.fault; }

class SdkCaptionTable : public testing::TestWithParam<CaptionRow> {};

TEST_P(SdkCaptionTable, Caption) {
    const CaptionRow& row = GetParam();
    EXPECT_EQ(sdkCaption(row.major, row.minor, row.step, row.isStatic), row.caption);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SdkCaptionTable,
    testing::Values(CaptionRow{"ReleaseHundredsOrUnitsLost", 4, 2, 30102, false, "4 . 2  RELEASE1  plus 2"},
                    CaptionRow{"ReleaseWithoutDetailShowsZeros", 4, 2, 30000, false, "4 . 2  RELEASE"},
                    CaptionRow{"FinalCandidateTakenForReleaseCandidate", 3, 1, 20000, false, "3 . 1  FC "},
                    CaptionRow{"ReleaseCandidateDetailLost", 4, 0, 20105, false, "4 . 0  RC 1  plus 5"},
                    CaptionRow{"PreviewZeroUnitsShown", 2, 0, 10100, false, "2 . 0  PR 1"},
                    CaptionRow{"MajorNotHexadecimal", 0x12, 0, 0, false, "12 . 0  0"},
                    CaptionRow{"MinorInLowerCase", 1, 0xAB, 0, false, "1 . AB  0"},
                    CaptionRow{"PreviewZeroHundredsShown", 2, 0, 10001, false, "2 . 0  PR   plus 1"},
                    CaptionRow{"StepBelowPreviewDecorated", 2, 0, 9999, false, "2 . 0  9999"},
                    CaptionRow{"StepAboveReleaseDecorated", 2, 0, 40000, false, "2 . 0  40000"},
                    CaptionRow{"LargestStepTruncated", 2, 0, 65535, false, "2 . 0  65535"},
                    CaptionRow{"StaticVerdictMissing", 4, 2, 30000, true, "4 . 2  RELEASE [STATIC MODULE]"},
                    CaptionRow{"StaticVerdictWithoutBlank", 3, 1, 20000, true, "3 . 1  FC  [STATIC MODULE]"}),
    [](const auto& param) { return std::string(param.param.fault); });

struct ModuleRow {
    const char* fault;
    const char* module;
    const char* name;
};

void PrintTo(const ModuleRow& row, std::ostream* os) { *os << row.fault; }

class ModuleNameTable : public testing::TestWithParam<ModuleRow> {};

TEST_P(ModuleNameTable, ModuleName) {
    const ModuleRow& row = GetParam();
    EXPECT_EQ(moduleNameText(row.module), row.name);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ModuleNameTable,
    testing::Values(ModuleRow{"FinalCandidateBlankLost", "Kiro1.2.20000.0830", "Kiro 1.2 FC "},
                    ModuleRow{"LongTagTakenAsShortTag", "HLX-DL3.0.30100.B", "HLX-DL 3.0 RELEASE1"},
                    ModuleRow{"ReleaseCandidateDetailLost", "HLX2.1.20203.X", "HLX 2.1 RC 2  plus 3"},
                    ModuleRow{"MissingFirstDotStillDecoded", "HLX2.1-20203.X", "HLX2.1-20203.X"},
                    ModuleRow{"MissingSecondDotStillDecoded", "Kiro1.2.20000-0830", "Kiro1.2.20000-0830"},
                    ModuleRow{"PlainModuleChanged", "SOUNDLIB", "SOUNDLIB"},
                    ModuleRow{"ShortTextReadPastItsEnd", "HLX2.1.2020", "HLX2.1.2020"},
                    ModuleRow{"DotAsLastCharacterRefused", "Kiro1.2.20000.", "Kiro 1.2 FC "},
                    ModuleRow{"StepReadPastFirstNonDigit", "Kiro1.2.200x0.08", "Kiro 1.2200"},
                    ModuleRow{"StepAboveReleaseDecorated", "Kiro1.2.70000.0", "Kiro 1.270000"},
                    ModuleRow{"TagComparedWithoutCase", "kiro1.2.20000.0830", "kiro1.2.20000.0830"},
                    ModuleRow{"EmptyModuleChanged", "", ""}),
    [](const auto& param) { return std::string(param.param.fault); });

using FieldBytes = std::array<std::uint8_t, kFieldSpan>;

FieldBytes fieldBytes(const std::string& text) {
    FieldBytes b{};
    for (std::size_t k = 0; k < text.size() && k < b.size(); ++k) b[k] = static_cast<std::uint8_t>(text[k]);
    return b;
}

struct FieldsRow {
    const char* fault;
    std::string bytes;  // what follows the "+"
    std::string vendor;
    std::string module;
    std::size_t moduleEnd;
};

void PrintTo(const FieldsRow& row, std::ostream* os) { *os << row.fault; }

class MiddlewareFieldsTable : public testing::TestWithParam<FieldsRow> {};

TEST_P(MiddlewareFieldsTable, Fields) {
    const FieldsRow& row = GetParam();
    const MiddlewareFields f = readMiddlewareFields(fieldBytes(row.bytes));
    EXPECT_EQ(f.vendor, row.vendor);
    EXPECT_EQ(f.module, row.module);
    EXPECT_EQ(f.moduleEnd, row.moduleEnd);
}

const std::string kFifty = "ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJ";

INSTANTIATE_TEST_SUITE_P(
    Rows, MiddlewareFieldsTable,
    testing::Values(FieldsRow{"PlainFieldsMisread", "ACME:SOUND]", "ACME", "SOUND", 10},
                    FieldsRow{"LongVendorNotCutOrNoByteSkipped", kFifty + ":X]",
                              "ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHI", "ABCDEFGHIJ:X", 52},
                    FieldsRow{"VendorOfLimitLengthLosesSeparator", kFifty.substr(0, 39) + ":MOD]",
                              "ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHI", "MOD", 43},
                    FieldsRow{"UnclosedModuleNotCut", "V:" + std::string(70, 'M'), "V", std::string(59, 'M'), 61},
                    FieldsRow{"ZeroByteDoesNotEndText", std::string("AB\0CD:MO\0D]", 11), "AB", "MO", 10},
                    FieldsRow{"EmptyFieldsMisread", ":]", "", "", 1},
                    FieldsRow{"CloseInsideVendorEndsVendor", "A]B:C]", "A]B", "C", 5}),
    [](const auto& param) { return std::string(param.param.fault); });

}  // namespace
}  // namespace parvex
