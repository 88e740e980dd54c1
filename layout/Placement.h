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

// How a window of a fixed design size goes on a screen: where its frame goes, how large its client
// area is, and whether the form sits in a scroll area. When the whole frame fits the available
// area the client is the design size and nothing scrolls; otherwise the client takes what the
// area leaves (plus room for a scroll bar across the other axis while that one still fits) and the
// frame goes to the area's nearest corner.
struct WindowPlacement {
    ScreenPoint frame;
    int clientWidth;
    int clientHeight;
    bool scrolls;
};

WindowPlacement placeWindow(const ScreenRect& available, const FrameMargins& frame, int designWidth, int designHeight,
                            ScreenPoint designed, int scrollBarExtent);

// The recent-files list after opening path: path first, no duplicates, at most max entries.
std::vector<std::string> pushRecent(std::vector<std::string> recent, const std::string& path, std::size_t max = 8);

// A UTF-8 path cut in the middle to at most maxChars characters, "…" marking the cut: the file name
// and the start of the path stay, the directories between give way first. Never cuts a character.
std::string shortenPathMiddle(const std::string& path, std::size_t maxChars);

}  // namespace parvex
