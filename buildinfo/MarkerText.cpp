#include "buildinfo/MarkerText.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace parvex {
namespace {

struct WirelessTag {
    std::string_view tag;
    std::string_view display;
};

// Tested in this order, so that "HLX-DL" is not taken for "HLX".
constexpr std::array<WirelessTag, 3> kWirelessTags{{
    {"Kiro", "Kiro "},
    {"HLX-DL", "HLX-DL "},
    {"HLX", "HLX "},
}};

// Hundreds, then "  plus " and the units, each only when not zero.
std::string stepDetail(std::uint32_t step) {
    const std::uint32_t hi = (step % 10000) / 100;
    const std::uint32_t lo = step % 100;
    std::string text;
    if (hi != 0) text += std::to_string(hi);
    if (lo != 0) text += "  plus " + std::to_string(lo);
    return text;
}

// The digits at the start of text, as a number; the first non-digit ends it.
std::uint32_t leadingNumber(std::string_view text) {
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value;
}

}  // namespace

std::string releaseStepText(std::uint32_t step, StepColumn column) {
    const std::string_view lead = column == StepColumn::Middleware ? " " : "";
    switch (step / 10000) {
        case 1: return std::string(lead) + "PR " + stepDetail(step);
        case 2:
            if (step == 20000) return std::string(lead) + "FC ";
            return std::string(lead) + "RC " + stepDetail(step);
        case 3: return std::string(lead) + "RELEASE" + stepDetail(step);
        default: return std::to_string(step);
    }
}

std::string sdkCaption(std::uint8_t major, std::uint8_t minor, std::uint16_t step, bool isStatic) {
    char head[16];
    std::snprintf(head, sizeof head, "%01X %s %01X %s", static_cast<unsigned>(major), ".",
                  static_cast<unsigned>(minor), " ");
    std::string caption = head + releaseStepText(step, StepColumn::Sdk);
    if (isStatic) caption += " [STATIC MODULE]";
    return caption;
}

std::string moduleNameText(std::string_view module) {
    for (const WirelessTag& w : kWirelessTags) {
        if (!module.starts_with(w.tag)) continue;
        const std::size_t t = w.tag.size();
        // A text too short to hold the version, the step and both dots is not a wireless version.
        if (module.size() < t + 10 || module[t + 3] != '.' || module[t + 9] != '.') return std::string(module);
        const std::uint32_t step = leadingNumber(module.substr(t + 4, 5));
        return std::string(w.display) + std::string(module.substr(t, 3)) +
               releaseStepText(step, StepColumn::Middleware);
    }
    return std::string(module);
}

std::string fieldText(std::span<const std::uint8_t> bytes) {
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

MiddlewareFields readMiddlewareFields(std::span<const std::uint8_t, kFieldSpan> bytes) {
    std::size_t at = 0;
    std::size_t copied = 0;
    while (copied < kVendorLimit && bytes[at] != ':') {
        ++at;
        ++copied;
    }
    MiddlewareFields fields;
    fields.vendor = fieldText(bytes.first(copied));
    ++at;  // the ":", or the byte after a vendor cut at its limit
    const std::size_t moduleStart = at;
    copied = 0;
    while (copied < kModuleLimit && bytes[at] != ']') {
        ++at;
        ++copied;
    }
    fields.module = fieldText(bytes.subspan(moduleStart, copied));
    fields.moduleEnd = at;
    return fields;
}

}  // namespace parvex
