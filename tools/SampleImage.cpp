#include "tools/SampleImage.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "checks/ReferenceLogo.h"
#include "core/RomHeader.h"
#include "core/Utf8Path.h"
#include "integrity/CcittCrc.h"
#include "integrity/Crc16.h"

namespace parvex {
namespace {

constexpr std::uint32_t kArm9Offset = 0x4000;
constexpr std::uint32_t kStaticModuleSize = 0x40000;
constexpr std::uint32_t kBanner = 0x00900000;
constexpr std::uint32_t kDataEnd = 0x00A00000;  // application data ends here; 0xFF padding follows
constexpr std::uint8_t kPattern1A[] = {0x00, 0x60, 0x58, 0x00, 0xF8, 0x08, 0x18, 0x00};
constexpr std::uint8_t kPattern1B[] = {0x1E, 0x05};
constexpr std::uint8_t kSdkMagic[] = {0x21, 0x06, 0xC0, 0xDE, 0xDE, 0xC0, 0x06, 0x21};

void putLe16(std::vector<std::uint8_t>& img, std::size_t at, std::uint16_t v) {
    img[at] = static_cast<std::uint8_t>(v);
    img[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void putLe32(std::vector<std::uint8_t>& img, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) img[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

void putText(std::vector<std::uint8_t>& img, std::size_t at, std::string_view text) {
    std::memcpy(img.data() + at, text.data(), text.size());
}

// Deterministic filler standing in for program data. Every byte has its top bit set, so the filler
// can never spell "[SDK+" or the SDK magic: the only markers are the ones placed on purpose.
void fillData(std::vector<std::uint8_t>& img, std::size_t from, std::size_t to) {
    std::uint64_t x = 0x9E3779B97F4A7C15ull;
    for (std::size_t i = from; i < to; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        img[i] = static_cast<std::uint8_t>(0x80 | (x & 0x7F));
    }
}

}  // namespace

SampleOptions sampleOptionsForName(std::string_view fileName) {
    fileName.remove_prefix(fileNameStart(fileName));
    SampleOptions options;
    if (fileName.size() != 11 || fileName[0] != 'Q' || fileName.substr(7) != ".SRL") return options;
    options.gameCode = std::string(fileName.substr(1, 4));
    const char release = fileName[5];
    if (release >= '0' && release <= '9') options.release = static_cast<std::uint8_t>(release - '0');
    else if (release == 'E') options.release = 0xE0;
    return options;
}

std::vector<std::uint8_t> buildSampleImage(const SampleOptions& options) {
    std::vector<std::uint8_t> img(kSampleSize, 0xFF);
    std::fill(img.begin(), img.begin() + 0x4000, 0x00);
    fillData(img, 0x4000, kDataEnd);

    putText(img, kGameTitle, "PARVEXSAMPLE");
    std::string code = options.gameCode;
    code.resize(4, '\0');
    putText(img, kGameCode, code);
    putText(img, kMakerCode, "01");
    img[kDeviceCapacity] = 0x07;
    img[kReleaseVersion] = options.release;
    putLe32(img, kArm9RomOffset, kArm9Offset);
    putLe32(img, kArm9Size, kStaticModuleSize);
    std::memcpy(img.data() + kRomControlA, kPattern1A, sizeof kPattern1A);
    std::memcpy(img.data() + kRomControlB, kPattern1B, sizeof kPattern1B);
    putLe32(img, kBannerOffset, kBanner);
    putLe32(img, kAppEndOffset, kDataEnd);
    std::copy(kReferenceLogo.begin(), kReferenceLogo.end(), img.begin() + kLogoData);

    // Security data and Segment3: our own filler, Segment3 tuned to its fixed CRC.
    fillData(img, kSecurityDataOffset, kSecureAreaOffset);

    // An SDK version 4.2 RELEASE marker inside the ARM9 static module, and two middleware markers.
    const std::size_t sdk = kArm9Offset + 0x100;
    putLe16(img, sdk, 30000);
    img[sdk + 2] = 0x02;
    img[sdk + 3] = 0x04;
    std::memcpy(img.data() + sdk + 4, kSdkMagic, sizeof kSdkMagic);
    putText(img, kArm9Offset + 0x9000, "[SDK+ACME:SOUNDLIB]");
    putText(img, kArm9Offset + 0xA000, "[SDK+VELTRANE:HLX2.1.30000.X]");

    finalizeSegment3(img);
    finalizeChecksums(img);
    return img;
}

void finalizeChecksums(std::vector<std::uint8_t>& img) {
    putLe16(img, kSecureAreaCrc, crc16(0xFFFF, img.data() + kSecureAreaOffset, kSecureAreaSize));
    putLe16(img, kLogoCrc, crc16(0xFFFF, img.data() + kLogoData, kLogoSize));
    putLe16(img, kHeaderCrc, crc16(0xFFFF, img.data(), kHeaderAreaSize));
}

void finalizeSegment3(std::vector<std::uint8_t>& img) {
    const std::size_t last = kSegment3Offset + kSegment3Size - 2;
    PairSwapCcitt head;
    head.update(img.data() + kSegment3Offset, kSegment3Size - 2);
    for (std::uint32_t v = 0; v <= 0xFFFF; ++v) {
        const std::uint8_t pair[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
        PairSwapCcitt crc = head;
        crc.update(pair, 2);
        if (crc.value() == 0x0254) {
            img[last] = pair[0];
            img[last + 1] = pair[1];
            return;
        }
    }
}

bool writeImage(const std::string& path, const std::vector<std::uint8_t>& image) {
    std::ofstream out(pathFromUtf8(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    return static_cast<bool>(out);
}

}  // namespace parvex
