// Start-up: the command-line argument is checked in English before the first showing, which turns the
// window Japanese and re-runs the checks.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "UiTestSupport.h"
#include "core/Findings.h"
#include "ui/QtConvert.h"

namespace parvex::test {

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void withoutArgumentNothingRunsAndTheWindowComesUpJapanese() {
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        const auto* lbtn = form.findChild<QPushButton*>(QStringLiteral("LBtn"));
        QCOMPARE(lbtn->text(), qtText(kEnglishModeCaption));
        QCOMPARE(form.windowTitle(), qtText(kStartCaption));

        form.show();
        Session reference(dir.dir());
        reference.switchLanguage();
        QCOMPARE(lbtn->text(), qtText(kJapaneseModeCaption));
        QCOMPARE(form.findChild<QComboBox*>(QStringLiteral("MComboBox"))->currentText(),
                 qtText(firstCopy(Msg::VersionBanner, Language::Japanese)));
        QVERIFY(shownLines(form).isEmpty());
        QCOMPARE(modelDifference(form.session().model, reference.model), QString());
        QCOMPARE(windowDifference(form), QString());
    }

    void argumentIsCheckedInEnglishBeforeShowingThenAgainInJapanese() {
        TestDir dir;
        // Not a submission name, so the run has Findings to translate.
        const std::string image = dir.writeSample(QStringLiteral("image.bin"));
        TForm1 form(dir.dir(), {image}, dir.dir());
        form.waitForWork();
        Session reference(dir.dir());
        reference.load(image);
        QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("LBtn"))->text(), qtText(kEnglishModeCaption));
        QCOMPARE(modelDifference(form.session().model, reference.model), QString());
        QCOMPARE(windowDifference(form), QString());
        QCOMPARE(form.windowTitle(), qtText(image));
        const QStringList english = shownLines(form);
        QVERIFY(!english.isEmpty());

        form.show();
        reference.switchLanguage();
        QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("LBtn"))->text(), qtText(kJapaneseModeCaption));
        QCOMPARE(modelDifference(form.session().model, reference.model), QString());
        QCOMPARE(windowDifference(form), QString());
        QVERIFY(shownLines(form) != english);
    }

    void missingArgumentGivesOneOpenFailureNotice() {
        TestDir dir;
        TForm1 form(dir.dir(), {dir.file(QStringLiteral("absent.SRL"))}, dir.dir());
        form.waitForWork();
        QCOMPARE(shownLines(form), QStringList{qtText(secondCopy(Msg::OpenFailed, Language::English))});
        QCOMPARE(form.session().model.messages.colour, Colour::Black);
        QCOMPARE(form.windowTitle(), qtText(kStartCaption));
        QCOMPARE(windowDifference(form), QString());
    }

    void relativeArgument_data() {
        QTest::addColumn<bool>("inStartDir");
        QTest::addColumn<bool>("besideProgram");
        QTest::addColumn<bool>("fromStartDir");
        QTest::newRow("taken from the start directory") << true << false << true;
        QTest::newRow("found beside the program when not in the start directory") << false << true << false;
        QTest::newRow("start directory wins when both have it") << true << true << true;
        QTest::newRow("in neither: reported against the start directory") << false << false << true;
    }

    void relativeArgument() {
        QFETCH(bool, inStartDir);
        QFETCH(bool, besideProgram);
        QFETCH(bool, fromStartDir);
        TestDir start;
        TestDir program;
        if (inStartDir) start.writeSample(QStringLiteral("QPVXJ00.SRL"));
        if (besideProgram) program.writeSample(QStringLiteral("QPVXJ00.SRL"));
        TForm1 form(program.dir(), {"QPVXJ00.SRL"}, start.dir());
        form.waitForWork();
        const TestDir& expected = fromStartDir ? start : program;
        QCOMPARE(form.session().fileName, expected.file(QStringLiteral("QPVXJ00.SRL")));
        QCOMPARE(form.session().lastOpenFailed, !inStartDir && !besideProgram);
    }
};

int runStartupTests(int argc, char** argv) {
    StartupTest t;
    return QTest::qExec(&t, argc, argv);
}

}  // namespace parvex::test

#include "StartupTest.moc"
