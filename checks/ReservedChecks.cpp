#include "checks/ReservedChecks.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace parvex {
namespace {

constexpr std::uint8_t kChineseFlag = 0x80;
constexpr std::uint8_t kKoreanFlag = 0x40;
constexpr std::uint8_t kSpeedTypeUnset = 0x40;

// True when every header byte from first to last (both included) is zero; a range reaching past the
// header is cut at its end.
bool allZero(const CheckState& st, std::size_t first, std::size_t last) {
    if (first >= st.Header.size()) return true;
    last = std::min(last, st.Header.size() - 1);
    if (first > last) return true;
    const auto begin = st.Header.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = st.Header.begin() + static_cast<std::ptrdiff_t>(last) + 1;
    return std::all_of(begin, end, [](std::uint8_t b) { return b == 0; });
}

void flagArea1(WindowModel& m, Msg message) {
    m.setText(Field::R_Area1, textOf(m, Msg::VerdictError));
    addFinding(m, message, {Field::R_Area1});
}

// The region byte is compared whole: only 'C' and 'K' (upper case) ask for a flag.
std::optional<Msg> regionFault(std::uint8_t lastCodeChar, std::uint8_t region) {
    switch (lastCodeChar) {
        case 'C':
            if (region != kChineseFlag) return Msg::ChineseFlagNotSet;
            return std::nullopt;
        case 'K':
            if (region != kKoreanFlag) return Msg::KoreanFlagNotSet;
            return std::nullopt;
        default:
            if (region == 0x00) return std::nullopt;
            if (region == kChineseFlag) return Msg::ChineseFlagSet;
            if (region == kKoreanFlag) return Msg::KoreanFlagSet;
            return Msg::Reserved01D;
    }
}

}  // namespace

// Reserved bytes 0x015-0x01C must be zero; region byte 0x01D must fit the game code's last letter (0x00F).
void CheckReservedAndRegionFlags(const CheckState& st, WindowModel& m) {
    m.setText(Field::R_Area1, textOf(m, Msg::VerdictOk));
    if (!allZero(st, kReservedArea1, kReservedArea1Last)) flagArea1(m, Msg::Reserved015);
    if (const auto fault = regionFault(st.u8(kGameCodeLast), st.u8(kRegionFlags))) flagArea1(m, *fault);
}

// The ROM speed type byte 0x01F must be left at 00h.
void CheckRomSpeedType(const CheckState& st, WindowModel& m) {
    m.setText(Field::R_Area2, textOf(m, Msg::VerdictOk));
    const std::uint8_t speed = st.u8(kRomSpeedType);
    if (speed == 0x00) return;
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(speed));
    m.setText(Field::R_Area2, text);
    addFinding(m, speed == kSpeedTypeUnset ? Msg::SpeedTypeNotSet : Msg::SpeedTypeUnexpected, {Field::R_Area2});
}

// A reserved header range [first, last] must be all zero.
void CheckReservedRange(const CheckState& st, WindowModel& m, const ReservedRange& range) {
    m.setText(range.box, textOf(m, Msg::VerdictOk));
    if (allZero(st, range.first, range.last)) return;
    m.setText(range.box, textOf(m, Msg::VerdictError));
    addFinding(m, range.message, {range.box});
}

}  // namespace parvex
