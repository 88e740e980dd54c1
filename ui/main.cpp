// parvex: the ZR PVX main window.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <QApplication>

#include "core/SideFiles.h"
#include "core/Utf8Path.h"
#include "report/SafeText.h"
#include "ui/MainWindow.h"
#include "ui/QtConvert.h"
#include "ui/WindowCommandLine.h"

namespace {

// Prints text in full; false when the stream could not take it (a closed or full output).
bool print(std::FILE* stream, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0;
}

}  // namespace

namespace {

int windowMain(int argc, char** argv) {
    // Read before Qt starts: help, version and a usage error need no display.
    const parvex::WindowCommand command = parvex::readWindowCommandLine({argv + 1, argv + argc});
    switch (command.action) {
        case parvex::WindowCommand::Action::Help: return print(stdout, parvex::windowHelpText()) ? 0 : 1;
        case parvex::WindowCommand::Action::Version: return print(stdout, parvex::windowVersionText()) ? 0 : 1;
        case parvex::WindowCommand::Action::Usage:
            // The argument may hold anything: it goes out as visible text on one line.
            print(stderr, "parvex: unknown option " + parvex::safeText(command.unknown) +
                              "\nrun with --help for more information\n");
            return 2;
        case parvex::WindowCommand::Action::Run: break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(parvex::qtText(parvex::kStartCaption));
    QGuiApplication::setDesktopFileName(QStringLiteral("parvex"));

    std::vector<std::string> arguments = command.images;
#ifdef Q_OS_WIN
    // argv is in the ANSI code page there; Qt keeps the arguments as the system's UTF-16.
    const QStringList wide = QCoreApplication::arguments();
    arguments.clear();
    for (qsizetype i = 1; i < wide.size(); ++i) arguments.push_back(parvex::filePath(wide[i]));
#endif
    std::error_code ec;
    const std::string startDir = parvex::utf8FromPath(std::filesystem::current_path(ec));

    const std::string programDir = parvex::filePath(QCoreApplication::applicationDirPath());
    parvex::TForm1 form(programDir, std::move(arguments), startDir, parvex::sideFileDirs(programDir));
    form.show();
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing is expected to throw here; should memory or a thread fail, the user still gets a line
    // and a status that does not read as success, instead of an abort.
    try {
        return windowMain(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "parvex: internal error: %s\n", parvex::safeText(e.what()).c_str());
    } catch (...) {
        std::fputs("parvex: internal error\n", stderr);
    }
    return 1;
}
