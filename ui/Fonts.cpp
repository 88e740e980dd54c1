#include "ui/Fonts.h"

#include <QStringList>

namespace parvex {

QFont designFont(int pixels, FontPitch pitch, FontWeight weight) {
    QFont font;
    if (pitch == FontPitch::Fixed) {
        font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")});
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    } else {
        font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
        font.setStyleHint(QFont::SansSerif);
    }
    font.setPixelSize(pixels);
    font.setBold(weight == FontWeight::Bold);
    return font;
}

}  // namespace parvex
