#include "win/Fonts.h"

#include <utility>

#include "layout/DesignPlace.h"

namespace parvex {
namespace {

bool faceExists(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    HDC dc = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExW(
        dc, &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM flag) -> int {
            *reinterpret_cast<bool*>(flag) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

HFONT makeFont(int pixels, bool bold, const std::wstring& face, bool fixed) {
    return CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       static_cast<BYTE>((fixed ? FIXED_PITCH : VARIABLE_PITCH) | FF_DONTCARE), face.c_str());
}

}  // namespace

std::wstring japaneseFace() {
    for (const wchar_t* face : {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"})
        if (faceExists(face)) return face;
    return {};
}

FontSet::FontSet(int designPixels, int dpi) {
    static const std::wstring proportional = [] {
        std::wstring face = japaneseFace();
        return face.empty() ? std::wstring(L"MS Shell Dlg 2") : face;
    }();
    // The offsets are columns of hex digits: a fixed-pitch face that also has kana.
    static const std::wstring fixedFace = faceExists(L"MS Gothic") ? L"MS Gothic" : L"Courier New";
    const int pixels = scaleToDpi(designPixels, dpi);
    normal = makeFont(pixels, false, proportional, false);
    bold = makeFont(pixels, true, proportional, false);
    fixed = makeFont(pixels, false, fixedFace, true);
}

FontSet::FontSet(FontSet&& other) noexcept
    : normal(std::exchange(other.normal, nullptr)),
      bold(std::exchange(other.bold, nullptr)),
      fixed(std::exchange(other.fixed, nullptr)) {}

FontSet& FontSet::operator=(FontSet&& other) noexcept {
    if (this != &other) {
        release();
        normal = std::exchange(other.normal, nullptr);
        bold = std::exchange(other.bold, nullptr);
        fixed = std::exchange(other.fixed, nullptr);
    }
    return *this;
}

FontSet::~FontSet() { release(); }

void FontSet::release() {
    for (HFONT font : {normal, bold, fixed})
        if (font) DeleteObject(font);
    normal = bold = fixed = nullptr;
}

}  // namespace parvex
