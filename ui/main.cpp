// parvex: the ZR PVX main window.
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <QApplication>

#include "core/Utf8Path.h"
#include "ui/MainWindow.h"
#include "ui/QtConvert.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(parvex::qtText(parvex::kStartCaption));
    QGuiApplication::setDesktopFileName(QStringLiteral("parvex"));

    // What is left after Qt took its own options, as the file system's bytes.
    std::vector<std::string> arguments(argv + 1, argv + argc);
#ifdef Q_OS_WIN
    // argv is in the ANSI code page there; Qt keeps the arguments as the system's UTF-16.
    const QStringList wide = QCoreApplication::arguments();
    arguments.clear();
    for (qsizetype i = 1; i < wide.size(); ++i) arguments.push_back(parvex::filePath(wide[i]));
#endif
    std::error_code ec;
    const std::string startDir = parvex::utf8FromPath(std::filesystem::current_path(ec));

    parvex::TForm1 form(parvex::filePath(QCoreApplication::applicationDirPath()), std::move(arguments), startDir);
    form.show();
    return app.exec();
}
