#pragma once

#include <windows.h>

#include <string>

namespace parvex {

// The first of the Japanese interface faces this system has ("Yu Gothic UI", "Meiryo UI",
// "MS UI Gothic"), or empty when it has none of them.
std::wstring japaneseFace();

// The window's fonts at one dpi: the design's 15-pixel text, its bold form, and the fixed-pitch
// offsets. Owns the handles.
class FontSet {
public:
    FontSet() = default;
    FontSet(int designPixels, int dpi);
    FontSet(FontSet&& other) noexcept;
    FontSet& operator=(FontSet&& other) noexcept;
    FontSet(const FontSet&) = delete;
    FontSet& operator=(const FontSet&) = delete;
    ~FontSet();

    HFONT normal = nullptr;
    HFONT bold = nullptr;
    HFONT fixed = nullptr;

private:
    void release();
};

}  // namespace parvex
