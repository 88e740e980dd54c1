#pragma once

#include <string>
#include <string_view>

#include <QColor>
#include <QString>

#include "core/WindowModel.h"

namespace parvex {

// The one mapping of the model's colours to the screen.
QColor qtColour(Colour c);

// Model texts are UTF-8 byte strings; bytes that are not UTF-8 show as replacement characters.
QString qtText(std::string_view text);

// A caption for a label or panel: labels take no mnemonic, so "&x" shows as "x" and "&&" as "&".
QString labelCaption(std::string_view caption);

// A file dialog's filter: the model's description with a pattern that restricts nothing.
QString dialogFilter(std::string_view description);

// A path as the core wants it: the file system's own bytes.
std::string filePath(const QString& path);
// A path from the core, for Qt.
QString qtPath(const std::string& path);

}  // namespace parvex
