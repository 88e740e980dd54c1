// Dropped files: each is checked in turn, the window ends showing the last one.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QtTest>

#include "UiTestSupport.h"
#include "core/Findings.h"
#include "ui/QtConvert.h"

namespace parvex::test {

class DropTest : public QObject {
    Q_OBJECT

private slots:
    void threeFilesRunThreeTimesAndTheDialogStartsFromTheThird() {
        TestDir dir;
        // The first file leaves a trace that outlives later runs: the non-final build marker's row
        // text stays in Edit13.
        const std::string first =
            dir.writeSample(QStringLiteral("QPVXJ00.SRL"), [](std::vector<std::uint8_t>& image) {
                const std::string marker = "[SDK+VELTRANE:KELBO]";
                std::copy(marker.begin(), marker.end(), image.begin() + 0x100000);
            });
        const std::string second = dir.makeDir(QStringLiteral("folder"));
        const std::string third = dir.writeSample(QStringLiteral("third.bin"));
        TForm1 form(dir.dir(), {}, dir.dir());
        form.show();
        auto* titleCode = form.findChild<QLineEdit*>(QStringLiteral("Title_Code"));
        // Dropped on an editable box: the drop still belongs to the window.
        dropOn(titleCode, {qtText(first), qtText(second), qtText(third)});
        form.waitForWork();

        Session reference(dir.dir());
        reference.switchLanguage();
        for (const std::string& path : {first, second, third}) reference.load(path);
        QCOMPARE(modelDifference(form.session().model, reference.model), QString());
        QCOMPARE(windowDifference(form), QString());
        QCOMPARE(form.windowTitle(), qtText(third));
        QCOMPARE(form.session().model.text(Field::Edit13), std::string("KELBO"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        const auto dialog = form.makeOpenDialog();
        QCOMPARE(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());
        QCOMPARE(dialog->selectedFiles(), QStringList{qtText(third)});
        QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("ZRﾌﾟﾛｸﾞﾗﾑ (*)")});
    }

    void directoriesAndVanishedFilesAreReportedAsUnopenable() {
        TestDir dir;
        const std::string folder = dir.makeDir(QStringLiteral("folder"));
        TForm1 form(dir.dir(), {}, dir.dir());
        dropOn(&form, {qtText(folder), qtText(dir.file(QStringLiteral("gone.SRL")))});
        form.waitForWork();
        const QString notice = qtText(secondCopy(Msg::OpenFailed, Language::English));
        QCOMPARE(shownLines(form), QStringList{notice});
        QCOMPARE(form.windowTitle(), qtText(kStartCaption));
    }

    void severalHundredFilesEndShowingTheLast() {
        TestDir dir;
        QStringList paths;
        for (int i = 0; i < 400; ++i) paths << qtText(dir.file(QStringLiteral("missing%1.SRL").arg(i)));
        const std::string last = dir.writeSample(QStringLiteral("QPVXJ00.SRL"));
        paths << qtText(last);
        TForm1 form(dir.dir(), {}, dir.dir());
        dropOn(&form, paths);
        form.waitForWork();
        Session reference(dir.dir());
        reference.load(last);
        QCOMPARE(modelDifference(form.session().model, reference.model), QString());
        QCOMPARE(form.windowTitle(), qtText(last));
    }

    void pathsLongerThan254CharactersAreKeptWhole() {
        TestDir dir;
        QString deep;
        for (int i = 0; i < 6; ++i) deep += QString(60, QChar(u'a' + i)) + QLatin1Char('/');
        dir.makeDir(deep);
        const std::string image = dir.writeSample(deep + QStringLiteral("QPVXJ00.SRL"));
        QVERIFY(image.size() > 254);
        TForm1 form(dir.dir(), {}, dir.dir());
        dropOn(&form, {qtText(image)});
        form.waitForWork();
        QCOMPARE(form.windowTitle(), qtText(image));
        QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("File_Name"))->text(), QStringLiteral("QPVXJ00.SRL"));
        QVERIFY(!form.session().lastOpenFailed);
    }
};

int runDropTests(int argc, char** argv) {
    DropTest t;
    return QTest::qExec(&t, argc, argv);
}

}  // namespace parvex::test

#include "DropTest.moc"
