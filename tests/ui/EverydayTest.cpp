// The window as a daily user meets it: a failed open names its file, boxes are editable only where
// the design says, the keyboard reaches the commands first and names them, the dialogs start where
// the user was, long names stay readable, and a desktop without a Japanese font gets English.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "UiTestSupport.h"
#include "core/Findings.h"
#include "layout/FormDesign.h"
#include "ui/QtConvert.h"

namespace parvex::test {
namespace {

QPushButton* button(const TForm1& form, const char* name) {
    return form.findChild<QPushButton*>(QLatin1String(name));
}

// The tooltip a widget shows when the pointer rests on it.
QString tooltipShown(QWidget* widget) {
    QHelpEvent event(QEvent::ToolTip, QPoint(1, 1), widget->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(widget, &event);
    return widget->toolTip();
}

// The command entries every right-click menu ends with, in a language.
QStringList commandEntries(Language lang, bool image) {
    const auto entry = [lang](Msg m, const char* keys, bool enabled) {
        const QString text = qtText(firstCopy(m, lang)) + QLatin1Char('\t') + QLatin1String(keys);
        return enabled ? text : text + QStringLiteral(" (disabled)");
    };
    return {entry(Msg::OpenCommand, "Ctrl+O", true), entry(Msg::CheckAgainCommand, "Ctrl+R", image),
            entry(Msg::CopyReportCommand, "Ctrl+Shift+C", image), entry(Msg::SaveReportCommand, "Ctrl+S", image)};
}

}  // namespace

class EverydayTest : public QObject {
    Q_OBJECT

private slots:
    void aFailedOpenNamesItsFileAndCtrlRTriesAgain() {
        TestDir dir;
        const std::string missing = dir.file(QStringLiteral("QPVXJ00.SRL"));
        TForm1 form(dir.dir(), {missing}, dir.dir());
        form.show();
        form.waitForWork();
        auto* list = form.findChild<QComboBox*>(QStringLiteral("MComboBox"));
        for (const Language lang : {Language::Japanese, Language::English}) {
            QCOMPARE(shownLines(form), QStringList{qtText(secondCopy(Msg::OpenFailed, lang))});
            QCOMPARE(list->itemData(0, Qt::ToolTipRole).toString(),
                     qtText(secondCopy(Msg::OpenFailed, lang)) + QLatin1Char('\n') + qtText(missing));
            if (lang == Language::Japanese) button(form, "LBtn")->click();
        }
        // The hint of the list itself stays the design's.
        QCOMPARE(list->toolTip(), qtText(form.session().model.control(Control::MComboBox).hint));

        dir.writeSample(QStringLiteral("QPVXJ00.SRL"));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_R, Qt::ControlModifier);
        form.waitForWork();
        QVERIFY(!form.session().lastOpenFailed);
        QCOMPARE(form.windowTitle(), qtText(missing));
        QCOMPARE(form.recentFiles().front(), qtText(missing));
    }

    void boxesAreEditableOnlyWhereTheDesignSaysButAllCopy() {
        TestDir dir;
        const std::string image = dir.writeSample(QStringLiteral("QPVXJ00.SRL"));
        TForm1 form(dir.dir(), {image}, dir.dir());
        form.show();
        form.waitForWork();
        for (const ControlDesign& d : controlDesigns()) {
            if (!d.field) continue;
            const auto* box = form.findChild<QLineEdit*>(QLatin1String(d.name));
            QVERIFY2(box->isReadOnly() == (d.look == Look::BoxReadOnly), d.name);
        }
        // Typed text is the box's model text, which the checks read back.
        auto* title = form.findChild<QLineEdit*>(QStringLiteral("Title_Code"));
        title->clear();
        QTest::keyClicks(title, QStringLiteral("41 42"));
        QCOMPARE(form.session().model.text(Field::Title_Code), std::string("41 42"));
        // A read-only box keeps its text against typing, and copies it.
        auto* device = form.findChild<QLineEdit*>(QStringLiteral("Device_Code"));
        const QString shown = device->text();
        QVERIFY(!shown.isEmpty());
        device->setFocus();
        QTest::keyClicks(device, QStringLiteral("zz"));
        QCOMPARE(device->text(), shown);
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(device, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(device, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), shown);
    }

    void tabReachesTheCommandsFirstWithAVisibleFrame() {
        TestDir dir;
        TForm1 form(dir.dir(), {dir.writeSample(QStringLiteral("QPVXJ00.SRL"))}, dir.dir());
        form.show();
        form.waitForWork();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* list = form.findChild<QComboBox*>(QStringLiteral("MComboBox"));
        list->setFocus();
        const QWidget* frame = form.findChild<QWidget*>(QStringLiteral("FocusFrame"));
        QStringList reached;
        for (int i = 0; i < 9; ++i) {
            QWidget* focus = QApplication::focusWidget();
            QWidget* control = focus->parentWidget() == list ? list : focus;
            reached << control->objectName();
            // The frame surrounds the focused control, two pixels wide.
            QVERIFY(frame->isVisible());
            const QRect place(control->mapTo(frame->parentWidget(), QPoint(0, 0)), control->size());
            QCOMPARE(frame->geometry(), place.adjusted(-2, -2, 2, 2));
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(reached, (QStringList{"MComboBox", "LoadBtn", "LBtn", "CRCBtn", "VersionBtn", "BitBtn4", "File_Name",
                                       "Game_Title", "Title_Code"}));
    }

    void rightClickMenusNameTheCommandsWithTheirKeys_data() {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("image");
        for (const char* widget : {"message list", "SDK_ListView", "Device_Code", "LoadBtn", "form"})
            for (int clicks : {0, 1})
                for (bool image : {false, true})
                    QTest::addRow("%s, %s, %s", widget, clicks ? "English" : "Japanese", image ? "image" : "no image")
                        << QString::fromLatin1(widget) << clicks << image;
    }

    void rightClickMenusNameTheCommandsWithTheirKeys() {
        QFETCH(QString, widget);
        QFETCH(int, clicks);
        QFETCH(bool, image);
        TestDir dir;
        std::vector<std::string> arguments;
        if (image) arguments.push_back(dir.writeSample(QStringLiteral("QPVXJ00.SRL")));
        TForm1 form(dir.dir(), arguments, dir.dir());
        form.show();
        form.waitForWork();
        for (int i = 0; i < clicks; ++i) button(form, "LBtn")->click();
        QWidget* target = form.findChild<QWidget*>(widget);
        if (widget == QLatin1String("message list"))
            target = form.findChild<QComboBox*>(QStringLiteral("MComboBox"))->lineEdit();
        else if (widget == QLatin1String("SDK_ListView"))
            target = form.findChild<QAbstractScrollArea*>(widget)->viewport();
        else if (widget == QLatin1String("form")) target = form.findChild<QWidget*>(QStringLiteral("FormCanvas"));
        // With no image the report commands are greyed, and so are their keys.
        const QStringList entries = contextMenuEntries(target);
        const QStringList expected = commandEntries(clicks ? Language::English : Language::Japanese, image);
        QCOMPARE(entries.mid(entries.size() - expected.size()), expected);
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        form.copyReportCommand();
        QCOMPARE(QGuiApplication::clipboard()->text() == QStringLiteral("kept"), !image);
        // The design's captions stay as they are.
        QCOMPARE(button(form, "LoadBtn")->text(), qtText(form.session().model.control(Control::LoadBtn).caption));
    }

    void theSaveDialogOffersTextAndJsonAndStartsInTheLastSaveFolder() {
        TestDir dir;
        const std::string image = dir.writeSample(QStringLiteral("QPVXJ00.SRL"));
        TForm1 form(dir.dir(), {image}, dir.dir());
        form.show();
        form.waitForWork();
        QCOMPARE(form.makeSaveDialog()->nameFilters(),
                 (QStringList{QStringLiteral("テキストレポート (*.txt)"), QStringLiteral("JSON (*.json)")}));
        button(form, "LBtn")->click();
        const auto dialog = form.makeSaveDialog();
        QCOMPARE(dialog->nameFilters(),
                 (QStringList{QStringLiteral("Text report (*.txt)"), QStringLiteral("JSON (*.json)")}));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("txt"));
        dialog->selectNameFilter(QStringLiteral("JSON (*.json)"));
        emit dialog->filterSelected(QStringLiteral("JSON (*.json)"));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("json"));

        const QString reports = qtText(dir.makeDir(QStringLiteral("reports")));
        form.saveReportTo(reports + QStringLiteral("/QPVXJ00.txt"));
        QVERIFY(QFile::exists(reports + QStringLiteral("/QPVXJ00.txt")));
        QCOMPARE(QDir(form.makeSaveDialog()->directory()).absolutePath(), QDir(reports).absolutePath());
    }

    void aFailedSaveNamesThePathAndTheReason() {
        TestDir dir;
        TForm1 form(dir.dir(), {dir.writeSample(QStringLiteral("QPVXJ00.SRL"))}, dir.dir());
        form.show();
        form.waitForWork();
        button(form, "LBtn")->click();  // English
        const QString path = dir.path() + QStringLiteral("/no/such/folder/report.txt");
        QString reason;
        QVERIFY(!form.saveReport(path, &reason));
        QVERIFY(!reason.isEmpty());
        const QString shown = messageBoxTextDuring([&] { form.saveReportTo(path); });
        QCOMPARE(shown,
                 QStringLiteral("Unable to save the report to %1: %2").arg(QDir::toNativeSeparators(path), reason));
    }

    void beforeTheFirstImageOpenStartsInTheLatestImagesFolder() {
        TestDir dir;
        const std::string image = qtText(dir.makeDir(QStringLiteral("roms"))).toStdString() + "/QPVXJ00.SRL";
        dir.writeSample(QStringLiteral("roms/QPVXJ00.SRL"));
        {
            TForm1 first(dir.dir(), {image}, dir.dir());
            first.waitForWork();
        }
        TForm1 form(dir.dir(), {}, dir.dir());
        QCOMPARE(QDir(form.makeOpenDialog()->directory()).absolutePath(), QDir(dir.path() + "/roms").absolutePath());
        // The design's filter stays.
        QCOMPARE(form.makeOpenDialog()->nameFilters(),
                 QStringList{dialogFilter(form.session().model.control(Control::OpenDialog1).filter)});
        QVERIFY(QDir(dir.path() + "/roms").removeRecursively());
        QCOMPARE(QDir(form.makeOpenDialog()->directory()).absolutePath(), QDir(dir.path()).absolutePath());
    }

    void aLongFileNameIsDrawnElidedAndShownWholeAsTooltip() {
        TestDir dir;
        const QString longName = QStringLiteral("QPVXJ00_a_name_much_longer_than_its_box_in_the_form.SRL");
        TForm1 form(dir.dir(), {dir.writeSample(longName)}, dir.dir());
        form.show();
        form.waitForWork();
        auto* box = form.findChild<QLineEdit*>(QStringLiteral("File_Name"));
        QCOMPARE(box->text(), longName);
        QCOMPARE(tooltipShown(box), longName);
        form.dropFiles({qtText(dir.writeSample(QStringLiteral("QPVXJ00.SRL")))});
        form.waitForWork();
        QCOMPARE(box->text(), QStringLiteral("QPVXJ00.SRL"));
        QCOMPARE(tooltipShown(box), QString());
    }

    void theRecentMenuShortensMarksAndClears() {
        TestDir dir;
        const QString deep = QStringLiteral("submissions/2026/december/final/checked/again");
        dir.makeDir(deep);
        const std::string far = dir.writeSample(deep + QStringLiteral("/QPVXJ00.SRL"));
        const std::string gone = dir.writeSample(QStringLiteral("QGONJ00.SRL"));
        TForm1 form(dir.dir(), {}, dir.dir());
        form.show();
        auto* load = button(form, "LoadBtn");
        const QString clear = qtText(firstCopy(Msg::ClearRecentFiles, Language::Japanese));
        // What earlier windows opened goes first.
        if (!form.recentFiles().isEmpty()) contextMenuChoosing(load, clear);
        QVERIFY(form.recentFiles().isEmpty());
        form.dropFiles({qtText(gone), qtText(far)});
        form.waitForWork();
        QVERIFY(QFile::remove(qtText(gone)));
        const QStringList entries = contextMenuEntries(load);
        QVERIFY(qtText(far).size() > 60);
        QVERIFY2(entries[0].contains(QStringLiteral("…/QPVXJ00.SRL")) && entries[0].size() <= 60,
                 qPrintable(entries[0]));
        QCOMPARE(entries[1], qtText(gone) + QStringLiteral(" （見つかりません）"));
        QCOMPARE(entries[2], clear);
        contextMenuChoosing(load, clear);
        QVERIFY(form.recentFiles().isEmpty());
        QCOMPARE(contextMenuEntries(load).front(),
                 qtText(firstCopy(Msg::NoRecentFiles, Language::Japanese)) + QStringLiteral(" (disabled)"));
    }

    void theFirstCheckAlreadyShowsTheStartingLanguage_data() {
        QTest::addColumn<bool>("japaneseFont");
        QTest::newRow("with a Japanese font") << true;
        QTest::newRow("without one") << false;
    }

    void theFirstCheckAlreadyShowsTheStartingLanguage() {
        QFETCH(bool, japaneseFont);
        TestDir dir;
        const std::string large = writeLargeSample(dir, QStringLiteral("QPVXJ00.SRL"));
        QVERIFY(!large.empty());
        TForm1 form(dir.dir(), {large}, dir.dir(), {}, japaneseFont);
        form.show();
        QVERIFY(form.busy());
        const Language starting = japaneseFont ? Language::Japanese : Language::English;
        QCOMPARE(button(form, "LBtn")->text(), qtText(japaneseFont ? kJapaneseModeCaption : kEnglishModeCaption));
        QVERIFY(form.windowTitle().startsWith(qtText(firstCopy(Msg::CheckingProgress, starting))));
        // The About box meanwhile follows the button shown; the session stays with the worker.
        QCOMPARE(modalCaptionDuring([&] { button(form, "VersionBtn")->click(); }),
                 qtText(firstCopy(Msg::AboutCaption, starting)));
        QVERIFY(form.busy());
        form.waitForWork();
        QCOMPARE(form.session().model.language(), starting);
        QCOMPARE(windowDifference(form), QString());
    }

    void withoutAJapaneseFontTheWindowSaysWhyOnce() {
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir(), {}, false);
        form.show();
        const QString notice = qtText(secondCopy(Msg::NoJapaneseFont, Language::English));
        QCOMPARE(shownLines(form), QStringList{notice});
        QCOMPARE(form.session().model.messages.colour, Colour::Black);
        QCOMPARE(windowDifference(form), QString());
        // Switching away and back, or checking an image, does not bring it back.
        button(form, "LBtn")->click();
        button(form, "LBtn")->click();
        QVERIFY(shownLines(form).isEmpty());
        QCOMPARE(form.session().model.language(), Language::English);
    }
};

int runEverydayTests(int argc, char** argv) {
    EverydayTest t;
    return QTest::qExec(&t, argc, argv);
}

}  // namespace parvex::test

#include "EverydayTest.moc"
