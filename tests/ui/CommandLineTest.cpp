// The window's command line: read before Qt starts, so help, version and usage errors need no display.
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

#include "core/Version.h"
#include "ui/WindowCommandLine.h"

namespace parvex::test {
namespace {

using Action = WindowCommand::Action;

struct Row {
    const char* what;
    std::vector<std::string> args;
    Action action;
    std::vector<std::string> images;
    std::string unknown;
};

struct Ran {
    int status = -1;
    QString out, err;
};

// The installed program as a user without a display starts it.
Ran runWindow(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QLatin1String(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(PARVEX_WINDOW_PATH), args);
    if (!p.waitForFinished(20000)) p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void argumentsAreReadAsTheWindowWantsThem() {
        const std::vector<Row> rows{
            {"nothing", {}, Action::Run, {}, ""},
            {"one image", {"QPVXJ00.SRL"}, Action::Run, {"QPVXJ00.SRL"}, ""},
            {"help", {"--help"}, Action::Help, {}, ""},
            {"short help after an image", {"a.SRL", "-h"}, Action::Help, {}, ""},
            {"version", {"--version"}, Action::Version, {}, ""},
            {"Qt's options and their values are Qt's",
             {"-platform", "offscreen", "--style=Fusion", "-reverse", "a.SRL"},
             Action::Run,
             {"a.SRL"},
             ""},
            {"an unknown long option", {"--bogus", "a.SRL"}, Action::Usage, {}, "--bogus"},
            {"an unknown short option", {"-v"}, Action::Usage, {}, "-v"},
            {"after -- everything is an image", {"--", "--help", "-x"}, Action::Run, {"--help", "-x"}, ""},
            {"a lone dash is a name", {"-"}, Action::Run, {"-"}, ""},
        };
        for (const Row& r : rows) {
            const WindowCommand c = readWindowCommandLine(r.args);
            QVERIFY2(c.action == r.action, r.what);
            QVERIFY2(c.images == r.images, r.what);
            QVERIFY2(c.unknown == r.unknown, r.what);
        }
    }

    void helpAndVersionPrintWithoutADisplay() {
        const Ran help = runWindow({QStringLiteral("--help")});
        QCOMPARE(help.status, 0);
        QCOMPARE(help.err, QString());
        for (const char* needed : {"Usage: parvex", "Ctrl+O", "Ctrl+R", "Ctrl+S", "Ctrl+Shift+C",
                                   "the program's directory", "$XDG_CONFIG_HOME/parvex", "/etc/parvex"})
            QVERIFY2(help.out.contains(QLatin1String(needed)), needed);

        const Ran version = runWindow({QStringLiteral("--version")});
        QCOMPARE(version.status, 0);
        QCOMPARE(version.out, QStringLiteral("parvex %1\n").arg(QLatin1String(PARVEX_VERSION)));
    }

    void anUnknownOptionIsAUsageError() {
        const Ran r = runWindow({QStringLiteral("--bogus\x1b[2J"), QStringLiteral("image.SRL")});
        QCOMPARE(r.status, 2);
        QCOMPARE(r.out, QString());
        // Named on standard error, its control characters made visible.
        QVERIFY2(r.err.startsWith(QStringLiteral("parvex: unknown option --bogus\\x1B[2J\n")), qPrintable(r.err));
    }
};

int runCommandLineTests(int argc, char** argv) {
    CommandLineTest t;
    return QTest::qExec(&t, argc, argv);
}

}  // namespace parvex::test

#include "CommandLineTest.moc"
