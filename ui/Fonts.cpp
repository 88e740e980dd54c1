#include "ui/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace parvex {
namespace {

const QStringList kProportional{QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
const QStringList kFixed{QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")};

}  // namespace

bool japaneseFontInstalled() {
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : kProportional + kFixed)
        if (installed.contains(family, Qt::CaseInsensitive)) return true;
    return false;
}

QFont designFont(int pixels, FontPitch pitch, FontWeight weight) {
    QFont font;
    if (pitch == FontPitch::Fixed) {
        font.setFamilies(kFixed);
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    } else {
        font.setFamilies(kProportional);
        font.setStyleHint(QFont::SansSerif);
    }
    font.setPixelSize(pixels);
    font.setBold(weight == FontWeight::Bold);
    return font;
}

}  // namespace parvex
