// Version and About: the About box's caption follows the Version button's language.
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "UiTestSupport.h"
#include "ui/AboutBox.h"

namespace parvex::test {

class AboutTest : public QObject {
    Q_OBJECT

private slots:
    void captionFollowsTheLanguage() {
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        auto* version = form.findChild<QPushButton*>(QStringLiteral("VersionBtn"));
        QCOMPARE(modalCaptionDuring([&] { version->click(); }), QStringLiteral("Version"));
        QVERIFY(!form.aboutBox().isVisible());

        form.show();
        QCOMPARE(modalCaptionDuring([&] { version->click(); }), QStringLiteral("バージョン情報"));
        auto* menuEntry = form.findChild<QAction*>(QStringLiteral("About1"));
        QCOMPARE(modalCaptionDuring([&] { menuEntry->trigger(); }), QStringLiteral("バージョン情報"));
    }

    void theMenuIsHiddenButItsCommandsWork() {
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        form.show();
        for (const char* name : {"File1", "Help1"})
            QVERIFY(!form.findChild<QMenu*>(QLatin1String(name))->menuAction()->isVisible());
        form.findChild<QAction*>(QStringLiteral("Exit1"))->trigger();
        QVERIFY(!form.isVisible());
    }

    void closeButtonEndsTheWindow() {
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        form.show();
        form.findChild<QPushButton*>(QStringLiteral("BitBtn4"))->click();
        QVERIFY(!form.isVisible());
    }
};

int runAboutTests(int argc, char** argv) {
    AboutTest t;
    return QTest::qExec(&t, argc, argv);
}

}  // namespace parvex::test

#include "AboutTest.moc"
