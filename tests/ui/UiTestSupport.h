#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/WindowModel.h"
#include "ui/MainWindow.h"

class QWidget;

namespace parvex::test {

// A temporary directory for images and side files, removed with the object.
class TestDir {
public:
    TestDir();
    QString path() const { return m_dir.path(); }
    std::string dir() const;
    // The full path of a name inside the directory.
    std::string file(const QString& name) const;
    // A clean sample image whose name gives its game code and release (see sampleOptionsForName),
    // changed by edit when one is given.
    std::string writeSample(const QString& name,
                            const std::function<void(std::vector<std::uint8_t>&)>& edit = {}) const;
    std::string writeBytes(const QString& name, const std::vector<std::uint8_t>& bytes) const;
    std::string makeDir(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// The sample image grown to 1 GiB without writing the rest (the file system keeps it sparse), so
// that a check of it stays at work a while; empty when the file system refuses.
std::string writeLargeSample(const TestDir& dir, const QString& name);

// Opens widget's context menu as a right click does and returns its entries, each "text" or, when
// disabled, "text (disabled)"; the menu is closed without choosing.
QStringList contextMenuEntries(QWidget* widget);

// Runs trigger and returns the text of the message box it shows (closing it).
QString messageBoxTextDuring(const std::function<void()>& trigger);

// Empty when every widget of the window shows its model exactly; otherwise the first difference.
QString windowDifference(const TForm1& form);

// Empty when two window models hold the same texts, colours, visibilities, lists and caption.
QString modelDifference(const WindowModel& shown, const WindowModel& expected);

// The message list's lines as the window shows them.
QStringList shownLines(const TForm1& form);

// Drags the files over target and drops them there, as a file manager does.
void dropOn(QWidget* target, const QStringList& paths);

// Runs trigger; returns the caption of the modal box it shows and closes that box with its OK button.
QString modalCaptionDuring(const std::function<void()>& trigger);

// Opens widget's context menu as a right click at its centre does, returns the texts of the menu's
// actions, and triggers the one whose text is choose (none when empty).
QStringList contextMenuChoosing(QWidget* widget, const QString& choose);

// The checker's standard output for these arguments (no colour, C locale), run to its end.
QByteArray checkerOutput(const QStringList& arguments);

}  // namespace parvex::test
