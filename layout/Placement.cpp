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

}  // namespace

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

}  // namespace parvex
