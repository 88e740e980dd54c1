#include "integrity/Crc16.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ReferenceCrc.h"

namespace parvex {
namespace {

struct CatalogueRow {
    const char* fault;
    std::vector<std::uint8_t> bytes;
    std::uint16_t initial;
    std::uint16_t expected;
};

std::vector<std::uint8_t> ascii(const std::string& text) { return {text.begin(), text.end()}; }

class Crc16Catalogue : public testing::TestWithParam<CatalogueRow> {};

TEST_P(Crc16Catalogue, MatchesPublishedValue) {
    const auto& row = GetParam();
    EXPECT_EQ(crc16(row.initial, row.bytes.data(), static_cast<std::uint32_t>(row.bytes.size())), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Crc16Catalogue,
    testing::Values(CatalogueRow{"WrongNibbleOrder", {0x01, 0x02, 0x03, 0x04}, 0xFFFF, 0x2BA1},
                    CatalogueRow{"OddTrailingByteIncluded", {0x01, 0x02, 0x03, 0x04, 0x05}, 0xFFFF, 0x2BA1},
                    CatalogueRow{"NinthDigitIncluded", ascii("123456789"), 0xFFFF, 0x37DD},
                    CatalogueRow{"EmptyInputChangesInitial", {}, 0xFFFF, 0xFFFF},
                    CatalogueRow{"InitialIgnored", {}, 0x1234, 0x1234},
                    CatalogueRow{"SingleByteCounted", {0xA5}, 0xFFFF, 0xFFFF}),
    [](const auto& param) { return std::string(param.param.fault); });

TEST(Crc16Reference, ReferenceGivesCatalogueCheckValue) {
    const auto digits = ascii("1234567890");
    EXPECT_EQ(reference::bitwiseCrc16(0xFFFF, digits.data(), 8), 0x37DD);
    // The reference over an even count must agree with the catalogue check of the nine digits.
    unsigned crc = reference::bitwiseCrc16(0xFFFF, digits.data(), 8);
    crc ^= digits[8];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) ? (crc >> 1) ^ 0xA001u : crc >> 1;
    EXPECT_EQ(crc, 0x4B37u);
}

TEST(Crc16Reference, AgreesWithBitwiseOnRandomData) {
    std::mt19937 rng(1175);
    for (std::size_t length = 0; length < 400; ++length) {
        std::vector<std::uint8_t> data(length);
        for (auto& b : data) b = static_cast<std::uint8_t>(rng());
        const auto initial = static_cast<std::uint16_t>(rng());
        ASSERT_EQ(crc16(initial, data.data(), static_cast<std::uint32_t>(length)),
                  reference::bitwiseCrc16(initial, data.data(), length))
            << "length " << length;
    }
}

TEST(Crc16Reference, TrailingOddByteNeverRead) {
    std::vector<std::uint8_t> data = {0x10, 0x20, 0x30};
    const auto before = crc16(0xFFFF, data.data(), 3);
    data[2] = 0xEF;
    EXPECT_EQ(crc16(0xFFFF, data.data(), 3), before);
    EXPECT_EQ(before, crc16(0xFFFF, data.data(), 2));
}

}  // namespace
}  // namespace parvex
