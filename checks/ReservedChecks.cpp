#include "checks/ReservedChecks.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace parvex {
namespace {

constexpr const char* kOk = "OK";
constexpr const char* kError = "Error";

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

void flagArea1(Session& s, Msg m) {
    s.model.setText(Field::R_Area1, kError);
    addFinding(s.model, m, {Field::R_Area1});
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
void CheckReservedAndRegionFlags(Session& s) {
    s.model.setText(Field::R_Area1, kOk);
    if (!allZero(s.state, kReservedArea1, kReservedArea1Last)) flagArea1(s, Msg::Reserved015);
    if (const auto fault = regionFault(s.state.u8(kGameCodeLast), s.state.u8(kRegionFlags)))
        flagArea1(s, *fault);
}

// The ROM speed type byte 0x01F must be left at 00h.
void CheckRomSpeedType(Session& s) {
    s.model.setText(Field::R_Area2, kOk);
    const std::uint8_t speed = s.state.u8(kRomSpeedType);
    if (speed == 0x00) return;
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(speed));
    s.model.setText(Field::R_Area2, text);
    addFinding(s.model, speed == kSpeedTypeUnset ? Msg::SpeedTypeNotSet : Msg::SpeedTypeUnexpected,
               {Field::R_Area2});
}

// A reserved header range [first, last] must be all zero.
void CheckReservedRange(Session& s, std::size_t first, std::size_t last, Field box, Msg message) {
    s.model.setText(box, kOk);
    if (allZero(s.state, first, last)) return;
    s.model.setText(box, kError);
    addFinding(s.model, message, {box});
}

}  // namespace parvex
