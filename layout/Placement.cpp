#include "ui/Placement.h"

#include <algorithm>

namespace parvex {
namespace {

int fitAxis(int designed, int length, int start, int available) {
    if (length >= available) return start;
    return std::clamp(designed, start, start + available - length);
}

}  // namespace

QPoint placeFrame(const QRect& available, const QSize& frame, const QPoint& designed) {
    if (available.contains(QRect(designed, frame))) return designed;
    return {fitAxis(designed.x(), frame.width(), available.left(), available.width()),
            fitAxis(designed.y(), frame.height(), available.top(), available.height())};
}

QStringList pushRecent(QStringList recent, const QString& path, int max) {
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > max) recent.removeLast();
    return recent;
}

}  // namespace parvex
