#pragma once

// The texts of the build lists: SDK captions, release steps and middleware module names, and the
// fields of a middleware marker.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace parvex {

// The middleware list puts a blank before the release word, the SDK list does not.
enum class StepColumn { Sdk, Middleware };

// "PR ", "FC ", "RC ", "RELEASE" with the step's hundreds and units, or the step in decimal.
std::string releaseStepText(std::uint32_t step, StepColumn column);

// "%01X . %01X  " of major and minor, the release step, and the static verdict.
std::string sdkCaption(std::uint8_t major, std::uint8_t minor, std::uint16_t step, bool isStatic);

// The Module Name column: a wireless library tag with its version decoded, or the module as it is.
std::string moduleNameText(std::string_view module);

inline constexpr std::size_t kVendorLimit = 39;
inline constexpr std::size_t kModuleLimit = 59;
// Bytes after a marker's "+" that its fields can reach: the vendor, one skipped byte, the module.
inline constexpr std::size_t kFieldSpan = kVendorLimit + 1 + kModuleLimit;

struct MiddlewareFields {
    std::string vendor;  // up to its first zero byte, as it is shown and compared
    std::string module;
    // Offset, from the byte after "+", of where the module field ended: its "]" or the byte
    // after its last copied character.
    std::size_t moduleEnd = 0;
};

// Reads the vendor and module fields from the bytes after a marker's "+" (zero where the image
// has ended).
MiddlewareFields readMiddlewareFields(std::span<const std::uint8_t, kFieldSpan> bytes);

// The text of a copied field: its bytes up to the first zero byte.
std::string fieldText(std::span<const std::uint8_t> bytes);

}  // namespace parvex
