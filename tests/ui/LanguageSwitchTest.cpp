// The language switch button: every bilingual text flips, and two switches put everything back.
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "UiTestSupport.h"
#include "ui/QtConvert.h"

namespace parvex::test {
namespace {

// Every text a user can see or hover on the window, by object name.
QStringList visibleTexts(const TForm1& form) {
    QStringList texts;
    for (const QWidget* w : form.findChildren<QWidget*>()) {
        QString text = w->toolTip();
        if (const auto* label = qobject_cast<const QLabel*>(w)) text += QLatin1Char('|') + label->text();
        if (const auto* button = qobject_cast<const QPushButton*>(w)) text += QLatin1Char('|') + button->text();
        if (const auto* list = qobject_cast<const QTreeWidget*>(w))
            for (int c = 0; c < list->columnCount(); ++c) text += QLatin1Char('|') + list->headerItem()->text(c);
        if (!w->objectName().isEmpty()) texts << w->objectName() + QLatin1Char('=') + text;
    }
    return texts;
}

}  // namespace

class LanguageSwitchTest : public QObject {
    Q_OBJECT

private slots:
    void twoSwitchesPutEveryTextBack() {
        TestDir dir;
        const std::string image = dir.writeSample(QStringLiteral("image.bin"));
        TForm1 form(dir.dir(), {image}, dir.dir());
        form.waitForWork();
        form.show();
        const QStringList before = visibleTexts(form);
        const QStringList linesBefore = shownLines(form);
        auto* lbtn = form.findChild<QPushButton*>(QStringLiteral("LBtn"));

        lbtn->click();
        QCOMPARE(lbtn->text(), qtText(kEnglishModeCaption));
        QVERIFY(visibleTexts(form) != before);
        QVERIFY(shownLines(form) != linesBefore);

        lbtn->click();
        QCOMPARE(visibleTexts(form), before);
        QCOMPARE(shownLines(form), linesBefore);

        Session reference(dir.dir());
        reference.load(image);
        for (int i = 0; i < 3; ++i) reference.switchLanguage();
        QCOMPARE(modelDifference(form.session().model, reference.model), QString());
        QCOMPARE(windowDifference(form), QString());
    }

    void onlyTheFirstShowingSwitches() {
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        form.show();
        form.hide();
        form.show();
        QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("LBtn"))->text(), qtText(kJapaneseModeCaption));
    }

    void switchWithoutRunOnlyRelabels() {
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        form.show();
        form.findChild<QPushButton*>(QStringLiteral("LBtn"))->click();
        QVERIFY(shownLines(form).isEmpty());
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("TFileName"))->text(), QStringLiteral("File Name"));
    }
};

int runLanguageSwitchTests(int argc, char** argv) {
    LanguageSwitchTest t;
    return QTest::qExec(&t, argc, argv);
}

}  // namespace parvex::test

#include "LanguageSwitchTest.moc"
