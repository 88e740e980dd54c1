#include "layout/DesignPlace.h"

#include <cstdint>

namespace parvex {
namespace {

Place offsetBy(Place place, Group parent) {
    while (parent != Group::Window) {
        const GroupDesign& g = groupDesigns()[static_cast<std::size_t>(parent) - 1];
        place.left += g.place.left;
        place.top += g.place.top;
        parent = g.parent;
    }
    return place;
}

}  // namespace

Place clientPlace(const GroupDesign& group) { return offsetBy(group.place, group.parent); }
Place clientPlace(const ControlDesign& control) { return offsetBy(control.place, control.group); }

int scaleToDpi(int designPixels, int dpi) {
    const std::int64_t scaled = static_cast<std::int64_t>(designPixels) * dpi;
    const std::int64_t half = scaled >= 0 ? kDesignDpi / 2 : -kDesignDpi / 2;
    return static_cast<int>((scaled + half) / kDesignDpi);
}

Place scaleToDpi(const Place& p, int dpi) {
    // Edges are scaled, not sizes, so that neighbours that touch at 96 dpi still touch.
    const int left = scaleToDpi(p.left, dpi);
    const int top = scaleToDpi(p.top, dpi);
    return {left, top, scaleToDpi(p.left + p.width, dpi) - left, scaleToDpi(p.top + p.height, dpi) - top};
}

}  // namespace parvex
