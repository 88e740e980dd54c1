// ferin.ini: looked for along the side-file search, beside the program file first; its presence
// shows three controls.
#include <QDir>
#include <QFile>
#include <QtTest>

#include "UiTestSupport.h"

namespace parvex::test {
namespace {

bool extrasShown(const TForm1& form) {
    int shown = 0;
    for (const char* name : {"Label_FERIN", "Label_MROM", "MROM_Ver"}) {
        const QWidget* w = form.findChild<QWidget*>(QLatin1String(name));
        shown += w->isVisible() ? 1 : 0;
    }
    return shown == 3;
}

void touch(const std::string& path) {
    QFile f(QString::fromStdString(path));
    f.open(QIODevice::WriteOnly);
}

}  // namespace

class SideFileTest : public QObject {
    Q_OBJECT

private slots:
    void besideTheProgramShowsTheExtras() {
        TestDir program;
        touch(program.file(QStringLiteral("ferin.ini")));
        TForm1 form(program.dir(), {}, program.dir());
        form.show();
        QVERIFY(extrasShown(form));
    }

    void inTheWorkingDirectoryOnlyStaysHidden() {
        TestDir program;
        TestDir working;
        touch(working.file(QStringLiteral("ferin.ini")));
        const QString before = QDir::currentPath();
        QDir::setCurrent(working.path());
        TForm1 form(program.dir(), {}, working.dir());
        form.show();
        QDir::setCurrent(before);
        const QStringList names{QStringLiteral("Label_FERIN"), QStringLiteral("Label_MROM"),
                                QStringLiteral("MROM_Ver")};
        for (const QString& name : names) QVERIFY2(!form.findChild<QWidget*>(name)->isVisible(), qPrintable(name));
    }

    void foundFurtherDownTheSearchShowsTheExtras() {
        TestDir program;
        TestDir config;
        touch(config.file(QStringLiteral("ferin.ini")));
        TForm1 beside(program.dir(), {}, program.dir());
        beside.show();
        QVERIFY(!beside.findChild<QWidget*>(QStringLiteral("MROM_Ver"))->isVisible());
        TForm1 searched(program.dir(), {}, program.dir(), {program.dir(), config.dir()});
        searched.show();
        QVERIFY(extrasShown(searched));
    }

    void aDirectoryNamedLikeItStaysHidden() {
        TestDir program;
        program.makeDir(QStringLiteral("ferin.ini"));
        TForm1 form(program.dir(), {}, program.dir());
        form.show();
        QVERIFY(!form.findChild<QWidget*>(QStringLiteral("MROM_Ver"))->isVisible());
        QVERIFY(!form.findChild<QWidget*>(QStringLiteral("Label_FERIN"))->isVisible());
    }
};

int runSideFileTests(int argc, char** argv) {
    SideFileTest t;
    return QTest::qExec(&t, argc, argv);
}

}  // namespace parvex::test

#include "SideFileTest.moc"
