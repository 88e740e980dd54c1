#include "layout/Placement.h"

#include <algorithm>

namespace parvex {
namespace {

int fitAxis(int designed, int length, int start, int available) {
    if (length >= available) return start;
    return std::clamp(designed, start, start + available - length);
}

bool contains(const ScreenRect& area, ScreenPoint at, int width, int height) {
    return at.x >= area.left && at.y >= area.top && at.x + width <= area.left + area.width &&
           at.y + height <= area.top + area.height;
}

// The UTF-8 characters of text, as byte offsets of their starts.
std::vector<std::size_t> characterStarts(const std::string& text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    return starts;
}

}  // namespace

WindowPlacement placeWindow(const ScreenRect& available, const FrameMargins& frame, int designWidth, int designHeight,
                            ScreenPoint designed, int scrollBarExtent) {
    const int roomWidth = std::max(1, available.width - frame.left - frame.right);
    const int roomHeight = std::max(1, available.height - frame.top - frame.bottom);
    const int outerWidth = designWidth + frame.left + frame.right;
    const int outerHeight = designHeight + frame.top + frame.bottom;
    if (designWidth <= roomWidth && designHeight <= roomHeight)
        return {placeFrame(available, outerWidth, outerHeight, designed), designWidth, designHeight, false};
    // A scroll bar on one axis takes room on the other, which may then need one too.
    bool across = designHeight > roomHeight;  // a vertical bar
    bool down = designWidth > roomWidth;      // a horizontal bar
    for (int i = 0; i < 2; ++i) {
        across = across || designHeight + (down ? scrollBarExtent : 0) > roomHeight;
        down = down || designWidth + (across ? scrollBarExtent : 0) > roomWidth;
    }
    const int width = std::min(designWidth + (across ? scrollBarExtent : 0), roomWidth);
    const int height = std::min(designHeight + (down ? scrollBarExtent : 0), roomHeight);
    const ScreenPoint at =
        placeFrame(available, width + frame.left + frame.right, height + frame.top + frame.bottom, designed);
    return {at, width, height, true};
}

ScreenPoint placeFrame(const ScreenRect& available, int frameWidth, int frameHeight, ScreenPoint designed) {
    if (contains(available, designed, frameWidth, frameHeight)) return designed;
    return {fitAxis(designed.x, frameWidth, available.left, available.width),
            fitAxis(designed.y, frameHeight, available.top, available.height)};
}

std::vector<std::string> pushRecent(std::vector<std::string> recent, const std::string& path, std::size_t max) {
    std::erase(recent, path);
    recent.insert(recent.begin(), path);
    if (recent.size() > max) recent.resize(max);
    return recent;
}

std::string shortenPathMiddle(const std::string& path, std::size_t maxChars) {
    static const std::string kCut = "…";
    const std::vector<std::size_t> starts = characterStarts(path);
    if (starts.size() <= maxChars) return path;
    if (maxChars <= 1) return maxChars == 1 ? kCut : std::string();
    const std::size_t keep = maxChars - 1;
    // The tail keeps the file name with its separator when that leaves a few characters of the head.
    const std::size_t slash = path.find_last_of("/\\");
    std::size_t tailChars = keep / 2;
    if (slash != std::string::npos) {
        const auto nameChars =
            static_cast<std::size_t>(starts.end() - std::lower_bound(starts.begin(), starts.end(), slash));
        if (nameChars + 3 <= keep) tailChars = nameChars;
    }
    std::string head = path.substr(0, starts[keep - tailChars]);
    const std::string tail = tailChars ? path.substr(starts[starts.size() - tailChars]) : std::string();
    // The head ends on a whole directory where it has one.
    if (tail.starts_with('/') || tail.starts_with('\\'))
        if (const std::size_t sep = head.find_last_of("/\\"); sep != std::string::npos) head.resize(sep + 1);
    return head + kCut + tail;
}

}  // namespace parvex
