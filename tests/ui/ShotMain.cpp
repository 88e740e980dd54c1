// parvex_ui_shot [--switches N] [--about] [--popup] [FILE]: the main window as parvex shows it, with
// the language button clicked N times after the first showing and, with --about, the About box open,
// with --popup the message list dropped down. For looking at the window in either language.
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include "ui/MainWindow.h"
#include "ui/QtConvert.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int switches = 0;
    bool about = false;
    bool popup = false;
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--switches" && i + 1 < argc) switches = std::stoi(argv[++i]);
        else if (std::string(argv[i]) == "--about") about = true;
        else if (std::string(argv[i]) == "--popup") popup = true;
        else arguments.emplace_back(argv[i]);
    }
    parvex::TForm1 form(parvex::filePath(QCoreApplication::applicationDirPath()), arguments,
                        std::filesystem::current_path().string());
    form.show();
    QTimer::singleShot(0, &form, [&form, switches, about, popup] {
        form.waitForWork();
        for (int i = 0; i < switches; ++i) form.findChild<QPushButton*>(QStringLiteral("LBtn"))->click();
        if (popup) form.findChild<QComboBox*>(QStringLiteral("MComboBox"))->showPopup();
        if (about) form.findChild<QPushButton*>(QStringLiteral("VersionBtn"))->click();
    });
    return app.exec();
}
