#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "checks/DeviceChecks.h"
#include "core/Findings.h"
#include "core/ImageFile.h"
#include "run/Session.h"
#include "run/Steps.h"
#include "tests/support/SessionProbe.h"
#include "tests/support/TempDir.h"

namespace parvex {
namespace {

using test::lines;
using test::texts;

constexpr std::uint64_t kMbit = 131072;

Session sessionWith(std::size_t offset, std::uint8_t value) {
    Session s{"/nonexistent"};
    s.state.Header[offset] = value;
    return s;
}

TEST(ProductCode, ZeroNamesTheConsoleSilently) {
    Session s = sessionWith(kProductCode, 0x00);
    runStep(s, Step::CheckProductCode);
    EXPECT_EQ(s.model.text(Field::ZR_code), "VELTRANE ZR");
    EXPECT_EQ(s.model.field(Field::Product_Code).colour, Colour::Black);
    EXPECT_TRUE(s.model.messages.lines.empty());
}

TEST(ProductCode, AnyOtherByteIsAnError) {
    for (int code : {0x01, 0x80, 0xFF}) {
        Session s = sessionWith(kProductCode, static_cast<std::uint8_t>(code));
        runStep(s, Step::CheckProductCode);
        EXPECT_EQ(s.model.text(Field::ZR_code), "Error") << code;
        EXPECT_EQ(s.model.field(Field::ZR_code).colour, Colour::Red);
        EXPECT_EQ(s.model.field(Field::Product_Code).colour, Colour::Red);
        EXPECT_EQ(lines(s), texts(s, {Msg::ProductCodeBad}));
        EXPECT_EQ(s.model.messages.colour, Colour::Red);
    }
}

TEST(DeviceCode, ZeroIsTheNormalDevice) {
    Session s = sessionWith(kDeviceCode, 0x00);
    runStep(s, Step::CheckDeviceCode);
    EXPECT_EQ(s.model.text(Field::Device_Name), "NORMAL");
    EXPECT_TRUE(s.model.messages.lines.empty());
}

TEST(DeviceCode, AnyOtherByteIsAnErrorInBothLanguages) {
    Session s = sessionWith(kDeviceCode, 0x01);
    s.switchLanguage();  // Japanese: "Error" stays English, the Finding does not
    runStep(s, Step::CheckDeviceCode);
    EXPECT_EQ(s.model.text(Field::Device_Name), "Error");
    EXPECT_EQ(s.model.field(Field::Device_Name).colour, Colour::Red);
    EXPECT_EQ(s.model.field(Field::Device_Code).colour, Colour::Red);
    ASSERT_EQ(s.model.messages.lines.size(), 1u);
    EXPECT_EQ(s.model.messages.lines[0].text, "デバイスコードが間違ってます。");
}

struct CapacityRow {
    const char* fault;
    int code;
    std::uint64_t size;
    const char* romSize;  // nullptr: "No matching data"
    const char* rom;      // nullptr: "No matching data"
    std::vector<Msg> expected;
};

const std::vector<CapacityRow> kCapacityRows = {
    {"Exact64Mbit", 0x06, 8388608, "64Mbit", "64Mbit", {}},
    {"OneByteOver", 0x06, 8388609, "64Mbit", nullptr, {Msg::FileSizeBad, Msg::CapacityMismatch}},
    {"OneByteShort", 0x06, 8388607, "64Mbit", nullptr, {Msg::FileSizeBad, Msg::CapacityMismatch}},
    {"SizeOfAnotherRow", 0x07, 8388608, "128Mbit", "64Mbit", {Msg::CapacityMismatch}},
    {"CodeWithoutRow", 0x10, 8388608, nullptr, "64Mbit", {Msg::CapacityMismatch}},
    {"CodeFF", 0xFF, 8388608, nullptr, "64Mbit", {Msg::CapacityMismatch}},
    {"EmptyFile", 0x00, 0, "1Mbit", nullptr, {Msg::FileSizeBad, Msg::CapacityMismatch}},
    {"Exact16Gbit", 0x0E, 2147483648ull, "16Gbit", "16Gbit", {}},
    {"Exact32Gbit", 0x0F, 4294967296ull, "32Gbit", "32Gbit", {}},
    {"TwoGiBUnder32Gbit", 0x0F, 2147483648ull, "32Gbit", "16Gbit", {Msg::CapacityMismatch}},
    {"FourGiBUnder16Gbit", 0x0E, 4294967296ull, "16Gbit", "32Gbit", {Msg::CapacityMismatch}},
    {"FourGiBPlusOne", 0x0F, 4294967297ull, "32Gbit", nullptr, {Msg::FileSizeBad, Msg::CapacityMismatch}},
    {"SizeWrapsTo1MbitIn32Bits",
     0x00,
     4294967296ull + 131072,
     "1Mbit",
     nullptr,
     {Msg::FileSizeBad, Msg::CapacityMismatch}},
    {"SizeWrapsToZeroIn32Bits", 0x10, 4294967296ull, nullptr, "32Gbit", {Msg::CapacityMismatch}},
};

class DeviceCapacityTable : public testing::TestWithParam<CapacityRow> {};

TEST_P(DeviceCapacityTable, ShowsLabelsAndFindings) {
    const CapacityRow& row = GetParam();
    Session s = sessionWith(kDeviceCapacity, static_cast<std::uint8_t>(row.code));
    s.state.File_Size = row.size;
    s.state.File_Size = row.size;
    runStep(s, Step::CheckDeviceCapacity);
    const bool agrees = row.expected.empty();
    EXPECT_EQ(s.model.text(Field::ROM_size), row.romSize ? row.romSize : "No matching data");
    EXPECT_EQ(s.model.text(Field::ROM), row.rom ? row.rom : "No matching data");
    EXPECT_EQ(s.model.field(Field::ROM).colour, row.rom ? Colour::Black : Colour::Red);
    EXPECT_EQ(s.model.field(Field::ROM_size).colour, agrees ? Colour::Black : Colour::Red);
    EXPECT_EQ(s.model.field(Field::ROM_Code).colour, agrees ? Colour::Black : Colour::Red);
    EXPECT_EQ(lines(s), texts(s, row.expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, DeviceCapacityTable, testing::ValuesIn(kCapacityRows),
                         [](const auto& p) { return std::string(p.param.fault); });

// Every code agrees with its own size, and only with it, and names it the same way in both boxes.
TEST(DeviceCapacity, EveryCodeAgreesOnlyWithItsOwnSize) {
    for (int code = 0x00; code <= 0x0F; ++code) {
        for (int sized = 0x00; sized <= 0x0F; ++sized) {
            Session s = sessionWith(kDeviceCapacity, static_cast<std::uint8_t>(code));
            s.state.File_Size = kMbit << sized;
            runStep(s, Step::CheckDeviceCapacity);
            if (code == sized) {
                EXPECT_TRUE(lines(s).empty()) << code;
                EXPECT_EQ(s.model.text(Field::ROM), s.model.text(Field::ROM_size)) << code;
            } else {
                EXPECT_EQ(lines(s), texts(s, {Msg::CapacityMismatch})) << code << " " << sized;
                EXPECT_NE(s.model.text(Field::ROM), s.model.text(Field::ROM_size)) << code << " " << sized;
            }
        }
    }
}

TEST(DeviceCapacity, FallbackTextFollowsTheLanguage) {
    Session s = sessionWith(kDeviceCapacity, 0x10);
    s.switchLanguage();
    s.state.File_Size = 1;
    runStep(s, Step::CheckDeviceCapacity);
    EXPECT_EQ(s.model.text(Field::ROM_size), "該当データなし");
    EXPECT_EQ(s.model.text(Field::ROM), "該当データなし");
    ASSERT_EQ(s.model.messages.lines.size(), 2u);
    EXPECT_EQ(s.model.messages.lines[0].text, "実ファイルサイズが正しくありません。");
    EXPECT_EQ(s.model.messages.lines[1].text, "デバイス容量が実ROMサイズと一致しません。");
}

// Sizes of 2 GiB and 4 GiB measured from real (sparse) files keep all their bits.
TEST(DeviceCapacity, SparseFilesOfTwoAndFourGiB) {
    test::TempDir dir;
    for (auto [code, size] : {std::pair{0x0E, 2147483648ull}, std::pair{0x0F, 4294967296ull}}) {
        const std::string path = dir.file("big.srl");
        { std::ofstream create(pathFromUtf8(path), std::ios::binary | std::ios::trunc); }
        std::error_code ec;
        std::filesystem::resize_file(pathFromUtf8(path), size, ec);
        ASSERT_FALSE(ec) << ec.message();
        auto file = ImageFile::open(path);
        ASSERT_TRUE(file);
        Session s = sessionWith(kDeviceCapacity, static_cast<std::uint8_t>(code));
        s.state.File_Size = file->size();
        runStep(s, Step::CheckDeviceCapacity);
        EXPECT_TRUE(lines(s).empty()) << size;
        EXPECT_EQ(s.model.text(Field::ROM), code == 0x0E ? "16Gbit" : "32Gbit");
    }
}

}  // namespace
}  // namespace parvex
