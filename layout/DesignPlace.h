#pragma once

#include "layout/FormDesign.h"

namespace parvex {

// A group box's place relative to the client area (groups nest).
Place clientPlace(const GroupDesign& group);
// A control's place relative to the client area, for a window system that keeps every control a
// direct child of the window.
Place clientPlace(const ControlDesign& control);

// Design pixels are 96-dpi pixels; a window at another dpi scales every length, rounded to nearest.
inline constexpr int kDesignDpi = 96;
int scaleToDpi(int designPixels, int dpi);
Place scaleToDpi(const Place& place, int dpi);

}  // namespace parvex
