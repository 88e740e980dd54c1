#pragma once

#include <QFont>

namespace parvex {

enum class FontPitch { Proportional, Fixed };
enum class FontWeight { Normal, Bold };

// The window's Japanese Gothic faces at a pixel size (the layout assumes pixel-sized text): IPA
// Gothic where installed, Noto Sans CJK JP otherwise.
QFont designFont(int pixels, FontPitch pitch, FontWeight weight = FontWeight::Normal);

// Whether one of those faces is installed; without one Japanese texts show as empty boxes.
bool japaneseFontInstalled();

}  // namespace parvex
