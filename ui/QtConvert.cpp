#include "ui/QtConvert.h"

#include <QFile>

#include "core/Format.h"

namespace parvex {

QColor qtColour(Colour c) {
    switch (c) {
        case Colour::Black: return QColor(0, 0, 0);
        case Colour::Red: return QColor(255, 0, 0);
        case Colour::Blue: return QColor(0, 0, 255);
    }
    return QColor(0, 0, 0);
}

QString qtText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString labelCaption(std::string_view caption) { return qtText(plainCaption(caption)); }

QString dialogFilter(std::string_view description) { return qtText(description) + QStringLiteral(" (*)"); }

std::string filePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace parvex
