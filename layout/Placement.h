#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

namespace parvex {

// Where a fixed-size window's frame goes: the designed top-left when the whole frame fits the
// available area, otherwise the nearest place that fits (the top-left corner of the area when the
// frame is larger than it, so the caption stays reachable).
QPoint placeFrame(const QRect& available, const QSize& frame, const QPoint& designed);

// The frame around a client area when the window system has not told yet: a caption bar and thin
// borders, erring on the large side so that a window placed with it still fits.
inline constexpr QMargins kAssumedFrame{8, 40, 8, 8};

// The recent-files list after opening path: path first, no duplicates, at most max entries.
QStringList pushRecent(QStringList recent, const QString& path, int max = 8);

}  // namespace parvex
