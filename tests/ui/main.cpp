// The window tests, one class per command, run on the offscreen platform.
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

namespace parvex::test {
int runStartupTests(int argc, char** argv);
int runDropTests(int argc, char** argv);
int runLanguageSwitchTests(int argc, char** argv);
int runCrcButtonTests(int argc, char** argv);
int runAboutTests(int argc, char** argv);
int runSideFileTests(int argc, char** argv);
int runRenderTests(int argc, char** argv);
int runReportTests(int argc, char** argv);
int runWorkTests(int argc, char** argv);
int runDesktopTests(int argc, char** argv);
int runCommandLineTests(int argc, char** argv);
int runEverydayTests(int argc, char** argv);
}  // namespace parvex::test

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Closing a test window must not end the application under the remaining tests.
    QApplication::setQuitOnLastWindowClosed(false);
    // The recent-files list is kept in a settings file of the tests' own, never the user's.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    using namespace parvex::test;
    int failed = 0;
    for (auto run :
         {runStartupTests, runDropTests, runLanguageSwitchTests, runCrcButtonTests, runAboutTests, runSideFileTests,
          runRenderTests, runReportTests, runWorkTests, runDesktopTests, runCommandLineTests, runEverydayTests})
        failed += run(argc, argv);
    return failed == 0 ? 0 : 1;
}
