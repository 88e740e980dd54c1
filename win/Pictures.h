#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace parvex {

// A picture as rows of 0xAARRGGBB pixels, top row first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

// Reads an XPM picture (the window's button pictures are kept as XPM text, one C array each):
// one character per pixel, colours "None" or "#RRGGBB". Nullopt for anything else, so a broken
// drawing shows no picture instead of a wrong one.
std::optional<Pixels> parseXpm(std::span<const char* const> lines);

// The pixels of one of the window's pictures by its design name ("load", "crc", ...).
std::optional<Pixels> designPicture(std::string_view name);

// An icon of the picture drawn at size × size (nearest neighbour, so the pixel art stays sharp).
HICON makeIcon(const Pixels& pixels, int size);

}  // namespace parvex
