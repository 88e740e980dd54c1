#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace parvex {

// Screen arithmetic shared by the windows, in the window system's pixels.
struct ScreenRect {
    int left;
    int top;
    int width;
    int height;
};

struct ScreenPoint {
    int x;
    int y;
};

// The frame's thickness on each side of the client area.
struct FrameMargins {
    int left;
    int top;
    int right;
    int bottom;
};

// Where a fixed-size window's frame goes: the designed top-left when the whole frame fits the
// available area, otherwise the nearest place that fits (the top-left corner of the area when the
// frame is larger than it, so the caption stays reachable).
ScreenPoint placeFrame(const ScreenRect& available, int frameWidth, int frameHeight, ScreenPoint designed);

// The frame around a client area when the window system has not told yet: a caption bar and thin
// borders, erring on the large side so that a window placed with it still fits.
inline constexpr FrameMargins kAssumedFrame{8, 40, 8, 8};

// The recent-files list after opening path: path first, no duplicates, at most max entries.
std::vector<std::string> pushRecent(std::vector<std::string> recent, const std::string& path, std::size_t max = 8);

}  // namespace parvex
