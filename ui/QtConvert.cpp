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

QString qtText(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString labelCaption(std::string_view caption) { return qtText(plainCaption(caption)); }

QString dialogFilter(std::string_view description) { return qtText(description) + QStringLiteral(" (*)"); }

// The core takes UTF-8 paths everywhere; encodeName gives the ANSI code page on Windows, so there
// the UTF-8 form is taken directly.
std::string filePath(const QString& path) {
#ifdef Q_OS_WIN
    return path.toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString qtPath(const std::string& path) {
#ifdef Q_OS_WIN
    return QString::fromStdString(path);
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

}  // namespace parvex
