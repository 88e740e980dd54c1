#include "checks/DeviceChecks.h"

#include <array>
#include <optional>

#include "core/Findings.h"

namespace parvex {
namespace {

struct Capacity {
    const char* label;
    std::uint64_t bytes;
};

// Code c stands for 1 Mbit << c; 32 Gbit (2^32 bytes) needs all 64 bits.
constexpr std::array<Capacity, 16> kCapacities = {{
    {"1Mbit", 131072ull << 0},
    {"2Mbit", 131072ull << 1},
    {"4Mbit", 131072ull << 2},
    {"8Mbit", 131072ull << 3},
    {"16Mbit", 131072ull << 4},
    {"32Mbit", 131072ull << 5},
    {"64Mbit", 131072ull << 6},
    {"128Mbit", 131072ull << 7},
    {"256Mbit", 131072ull << 8},
    {"512Mbit", 131072ull << 9},
    {"1Gbit", 131072ull << 10},
    {"2Gbit", 131072ull << 11},
    {"4Gbit", 131072ull << 12},
    {"8Gbit", 131072ull << 13},
    {"16Gbit", 131072ull << 14},
    {"32Gbit", 131072ull << 15},
}};

std::optional<Capacity> capacityOfCode(std::uint8_t code) {
    if (code >= kCapacities.size()) return std::nullopt;
    return kCapacities[code];
}

std::optional<Capacity> capacityOfSize(std::uint64_t size) {
    for (const Capacity& c : kCapacities)
        if (c.bytes == size) return c;
    return std::nullopt;
}

}  // namespace

// The console the image is for: header byte 0x012 must be 00h.
void CheckProductCode(const CheckState& st, WindowModel& m) {
    if (st.u8(kProductCode) == 0x00) {
        m.setText(Field::ZR_code, "VELTRANE ZR");
        return;
    }
    m.setText(Field::ZR_code, textOf(m, Msg::VerdictError));
    addFinding(m, Msg::ProductCodeBad, {Field::Product_Code, Field::ZR_code});
}

// The device type: header byte 0x013 must be 00h.
void CheckDeviceCode(const CheckState& st, WindowModel& m) {
    if (st.u8(kDeviceCode) == 0x00) {
        m.setText(Field::Device_Name, "NORMAL");
        return;
    }
    m.setText(Field::Device_Name, textOf(m, Msg::VerdictError));
    addFinding(m, Msg::DeviceCodeBad, {Field::Device_Code, Field::Device_Name});
}

// The image (File_Size) must be padded to exactly the capacity that header byte 0x014 declares.
void CheckDeviceCapacity(const CheckState& st, WindowModel& m) {
    const std::uint64_t fileSize = st.File_Size;
    const std::optional<Capacity> expected = capacityOfCode(st.u8(kDeviceCapacity));
    if (expected) {
        m.setText(Field::ROM_size, expected->label);
    } else {
        m.setText(Field::ROM_size, textOf(m, Msg::NoMatchingData));
        m.setColour(Field::ROM_size, Colour::Red);
    }

    if (const std::optional<Capacity> actual = capacityOfSize(fileSize)) {
        m.setText(Field::ROM, actual->label);
    } else {
        m.setText(Field::ROM, textOf(m, Msg::NoMatchingData));
        addFinding(m, Msg::FileSizeBad, {Field::ROM});
    }

    if (!expected || expected->bytes != fileSize)
        addFinding(m, Msg::CapacityMismatch, {Field::ROM_Code, Field::ROM_size});
}

}  // namespace parvex
