#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace parvex {

struct SampleOptions {
    std::string gameCode = "PVXJ";
    std::uint8_t release = 0x00;
};

// Game code and release byte from a file name of the submission form Q + game code + two version
// characters + ".SRL" (QABCJ00.SRL gives ABCJ and 00h); the defaults for any other name.
SampleOptions sampleOptionsForName(std::string_view fileName);

inline constexpr std::size_t kSampleSize = 16u << 20;

// A clean 16 MiB image (capacity code 07h) that raises no Finding when checked under a file name of
// the submission form that matches its options.
std::vector<std::uint8_t> buildSampleImage(const SampleOptions& options = {});

// Recomputes the stored secure-area, logo and header CRCs after an image was changed.
void finalizeChecksums(std::vector<std::uint8_t>& image);

// Makes the CRC of 0x3000-0x3FFF 0254h again by choosing its last two bytes.
void finalizeSegment3(std::vector<std::uint8_t>& image);

// Writes the bytes to path; false when that fails.
bool writeImage(const std::string& path, const std::vector<std::uint8_t>& image);

}  // namespace parvex
