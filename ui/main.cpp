// parvex: the ZR PVX main window.
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <QApplication>

#include "ui/MainWindow.h"
#include "ui/QtConvert.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(parvex::qtText(parvex::kStartCaption));
    QGuiApplication::setDesktopFileName(QStringLiteral("parvex"));

    // What is left after Qt took its own options, as the file system's bytes.
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::error_code ec;
    const std::string startDir = std::filesystem::current_path(ec).string();

    parvex::TForm1 form(parvex::filePath(QCoreApplication::applicationDirPath()), std::move(arguments), startDir);
    form.show();
    return app.exec();
}
