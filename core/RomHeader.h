#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace parvex {

inline constexpr std::size_t kHeaderSize = 384;
inline constexpr std::size_t kHeaderAreaSize = 350;
inline constexpr std::size_t kSecureAreaSize = 16384;
inline constexpr std::size_t kSecurityDataSize = 8192;
inline constexpr std::size_t kLogoSize = 156;

// Header offsets.
inline constexpr std::size_t kGameTitle = 0x000;
inline constexpr std::size_t kGameCode = 0x00C;
inline constexpr std::size_t kGameCodeLast = 0x00F;
inline constexpr std::size_t kMakerCode = 0x010;
inline constexpr std::size_t kProductCode = 0x012;
inline constexpr std::size_t kDeviceCode = 0x013;
inline constexpr std::size_t kDeviceCapacity = 0x014;
inline constexpr std::size_t kReservedArea1 = 0x015;
inline constexpr std::size_t kReservedArea1Last = 0x01C;
inline constexpr std::size_t kRegionFlags = 0x01D;
inline constexpr std::size_t kReleaseVersion = 0x01E;
inline constexpr std::size_t kRomSpeedType = 0x01F;
inline constexpr std::size_t kArm9RomOffset = 0x020;
inline constexpr std::size_t kArm9Size = 0x02C;
inline constexpr std::size_t kRomControlA = 0x060;
inline constexpr std::size_t kBannerOffset = 0x068;
inline constexpr std::size_t kSecureAreaCrc = 0x06C;
inline constexpr std::size_t kRomControlB = 0x06E;
inline constexpr std::size_t kAppEndOffset = 0x080;
inline constexpr std::size_t kLogoData = 0x0C0;
inline constexpr std::size_t kLogoCrc = 0x15C;
inline constexpr std::size_t kHeaderCrc = 0x15E;

// Image regions.
inline constexpr std::uint64_t kSecurityDataOffset = 0x1000;
inline constexpr std::uint64_t kSegment3Offset = 0x3000;
inline constexpr std::size_t kSegment3Size = 4096;
inline constexpr std::uint64_t kSecureAreaOffset = 0x4000;

template <std::size_t N>
constexpr std::uint16_t readLe16(const std::array<std::uint8_t, N>& b, std::size_t at) {
    static_assert(N >= 2);
    return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

template <std::size_t N>
constexpr std::uint32_t readLe32(const std::array<std::uint8_t, N>& b, std::size_t at) {
    static_assert(N >= 4);
    return static_cast<std::uint32_t>(b.at(at)) | static_cast<std::uint32_t>(b.at(at + 1)) << 8 |
           static_cast<std::uint32_t>(b.at(at + 2)) << 16 | static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}

}  // namespace parvex
