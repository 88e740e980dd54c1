#include "win/Pictures.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

// The drawings are C arrays; each include defines one static array.
#include "layout/images/close.xpm"
#include "layout/images/crc.xpm"
#include "layout/images/handheld.xpm"
#include "layout/images/language.xpm"
#include "layout/images/load.xpm"
#include "layout/images/version.xpm"

namespace parvex {
namespace {

std::optional<std::uint32_t> xpmColour(std::string_view spec) {
    if (spec == "None") return 0u;
    unsigned rgb = 0;
    if (spec.size() != 7 || spec[0] != '#') return std::nullopt;
    for (char c : spec.substr(1)) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
        if (digit < 0) return std::nullopt;
        rgb = rgb << 4 | static_cast<unsigned>(digit);
    }
    return 0xFF000000u | rgb;
}

}  // namespace

std::optional<Pixels> parseXpm(std::span<const char* const> lines) {
    if (lines.empty()) return std::nullopt;
    int width = 0, height = 0, colours = 0, perPixel = 0;
    if (std::sscanf(lines[0], "%d %d %d %d", &width, &height, &colours, &perPixel) != 4 || perPixel != 1 ||
        width <= 0 || height <= 0 || colours <= 0 || width > 256 || height > 256 ||
        lines.size() != static_cast<std::size_t>(1 + colours + height))
        return std::nullopt;
    std::map<char, std::uint32_t> palette;
    for (int i = 1; i <= colours; ++i) {
        const std::string_view line = lines[static_cast<std::size_t>(i)];
        // "k c SPEC": the pixel character, the colour key, the colour.
        if (line.size() < 5 || line.substr(1, 3) != " c ") return std::nullopt;
        const auto colour = xpmColour(line.substr(4));
        if (!colour) return std::nullopt;
        palette[line[0]] = *colour;
    }
    Pixels pixels{width, height, {}};
    pixels.argb.reserve(static_cast<std::size_t>(width * height));
    for (int row = 0; row < height; ++row) {
        const std::string_view line = lines[static_cast<std::size_t>(1 + colours + row)];
        if (line.size() != static_cast<std::size_t>(width)) return std::nullopt;
        for (char c : line) {
            const auto found = palette.find(c);
            if (found == palette.end()) return std::nullopt;
            pixels.argb.push_back(found->second);
        }
    }
    return pixels;
}

std::optional<Pixels> designPicture(std::string_view name) {
    const std::pair<std::string_view, std::span<const char* const>> pictures[] = {
        {"close", close_xpm},       {"crc", crc_xpm},   {"handheld", handheld_xpm},
        {"language", language_xpm}, {"load", load_xpm}, {"version", version_xpm},
    };
    for (const auto& [pictureName, lines] : pictures)
        if (pictureName == name) return parseXpm(lines);
    return std::nullopt;
}

HICON makeIcon(const Pixels& pixels, int size) {
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = size;
    header.bV5Height = -size;  // top row first, as the pixels are
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colour =
        CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!colour) return nullptr;
    auto* out = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            out[y * size + x] = pixels.argb[static_cast<std::size_t>(y * pixels.height / size * pixels.width +
                                                                     x * pixels.width / size)];
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

}  // namespace parvex
