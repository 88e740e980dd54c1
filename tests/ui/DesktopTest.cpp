// The window at home on the desktop: every message readable whole, Qt's own texts in the window's
// language, keys and recent files, a place on a small screen, and a failed load reported as such.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QtTest>

#include "UiTestSupport.h"
#include "core/Findings.h"
#include "layout/FormDesign.h"
#include "layout/Placement.h"
#include "ui/QtConvert.h"

namespace parvex::test {

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void noMessageIsElidedInEitherLanguage_data() {
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("widerThanTheBox");
        QTest::newRow("Japanese") << 0 << false;
        QTest::newRow("English") << 1 << true;
    }

    void noMessageIsElidedInEitherLanguage() {
        QFETCH(int, clicks);
        QFETCH(bool, widerThanTheBox);
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        form.show();
        for (int i = 0; i < clicks; ++i) form.findChild<QPushButton*>(QStringLiteral("LBtn"))->click();
        // Every text the system has, as lines of the list.
        for (std::size_t m = 0; m < kMessageCount; ++m) addFinding(form.session().model, static_cast<Msg>(m));
        form.render();

        auto* list = form.findChild<QComboBox*>(QStringLiteral("MComboBox"));
        QCOMPARE(list->count(), int(kMessageCount));
        list->showPopup();
        QAbstractItemView* view = list->view();
        QTRY_VERIFY(view->isVisible());
        QCOMPARE(view->textElideMode(), Qt::ElideNone);
        const int available = view->viewport()->width();
        int widest = 0;
        for (int row = 0; row < list->count(); ++row) {
            const QModelIndex index = view->model()->index(row, 0);
            widest = std::max(widest, view->sizeHintForIndex(index).width());
            QVERIFY2(view->sizeHintForIndex(index).width() <= available,
                     qPrintable(QStringLiteral("cut: %1").arg(list->itemText(row))));
            QCOMPARE(list->itemData(row, Qt::ToolTipRole).toString(), list->itemText(row));
        }
        // The long English lines need a list wider than the form's box.
        if (widerThanTheBox) QVERIFY(widest > list->width());
        list->hidePopup();
    }

    void qtTranslationFollowsTheLanguage() {
        const QString english = QStringLiteral("&Copy");
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        QVERIFY(!form.qtTranslated());
        QCOMPARE(QCoreApplication::translate("QLineEdit", "&Copy"), english);
        form.show();  // Japanese
        QVERIFY(form.qtTranslated());
        QVERIFY(QCoreApplication::translate("QLineEdit", "&Copy") != english);
        // The line edit's own menu, as a right click shows it, is Japanese too.
        const QStringList offered =
            contextMenuChoosing(form.findChild<QComboBox*>(QStringLiteral("MComboBox"))->lineEdit(), {});
        const QString japanese = QCoreApplication::translate("QLineEdit", "&Copy");
        QVERIFY(!offered.filter(japanese).isEmpty());
        QVERIFY(offered.filter(english).isEmpty());

        auto* lbtn = form.findChild<QPushButton*>(QStringLiteral("LBtn"));
        lbtn->click();  // English
        QVERIFY(!form.qtTranslated());
        QCOMPARE(QCoreApplication::translate("QLineEdit", "&Copy"), english);
        lbtn->click();  // Japanese again
        QVERIFY(form.qtTranslated());
        QVERIFY(QCoreApplication::translate("QLineEdit", "&Copy") != english);
    }

    // Ctrl+O shows the Open dialog, whose own buttons follow the window's language.
    void ctrlOOpensTheDialogInTheWindowsLanguage_data() {
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("english");
        QTest::newRow("Japanese") << 0 << false;
        QTest::newRow("English") << 1 << true;
    }

    void ctrlOOpensTheDialogInTheWindowsLanguage() {
        QFETCH(int, clicks);
        QFETCH(bool, english);
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        form.show();
        for (int i = 0; i < clicks; ++i) form.findChild<QPushButton*>(QStringLiteral("LBtn"))->click();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QStringList buttons;
        bool isFileDialog = false;
        QTimer inspector;
        inspector.setInterval(0);
        connect(&inspector, &QTimer::timeout, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog) return;
            inspector.stop();
            isFileDialog = qobject_cast<QFileDialog*>(dialog) != nullptr;
            for (const QPushButton* button : dialog->findChildren<QPushButton*>()) buttons << button->text();
            dialog->close();
        });
        inspector.start();
        QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(isFileDialog);
        QCOMPARE(buttons.contains(QStringLiteral("Cancel")), english);
        QVERIFY(!buttons.isEmpty());
        QVERIFY(!form.busy());  // cancelled: nothing loaded
        QVERIFY(form.session().fileName.empty());
    }

    void onASmallScreenTheFormScrollsAndEveryControlCanBeReached() {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect a = screen->availableGeometry();
        // The offscreen screen is smaller than the window's designed frame.
        QVERIFY(!a.contains(QRect(QPoint(kWindowLeft, kWindowTop), QSize(kClientWidth, kClientHeight))));
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        form.show();
        QTest::qWait(200);  // placed again once the frame is known
        auto* scroll = form.findChild<QScrollArea*>(QStringLiteral("FormScroll"));
        const QRect inner = form.geometry();
        const QRect outer = form.frameGeometry();
        const FrameMargins frame{inner.left() - outer.left(), inner.top() - outer.top(),
                                 outer.right() - inner.right(), outer.bottom() - inner.bottom()};
        const WindowPlacement expected = placeWindow(
            {a.left(), a.top(), a.width(), a.height()}, frame, kClientWidth, kClientHeight, {kWindowLeft, kWindowTop},
            form.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll));
        QVERIFY(form.scrolls());
        QCOMPARE(form.size(), QSize(expected.clientWidth, expected.clientHeight));
        QCOMPARE(outer.topLeft(), QPoint(expected.frame.x, expected.frame.y));
        QVERIFY(a.contains(outer));
        // Close, at the bottom right, is in view when Tab reaches it.
        auto* close = form.findChild<QPushButton*>(QStringLiteral("BitBtn4"));
        const auto inView = [&] {
            const QRect shown(close->mapTo(scroll->viewport(), QPoint(0, 0)), close->size());
            return scroll->viewport()->rect().contains(shown);
        };
        // The scroll bars reach every part of the form.
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), std::max(0, kClientWidth - scroll->viewport()->width()));
        QCOMPARE(scroll->verticalScrollBar()->maximum(), std::max(0, kClientHeight - scroll->viewport()->height()));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.findChild<QComboBox*>(QStringLiteral("MComboBox"))->setFocus();
        for (int i = 0; i < 5 && !close->hasFocus(); ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(close->hasFocus());
        QVERIFY(inView());
    }

    void recentFilesKeepTheLastEightOpened() {
        TestDir dir;
        std::vector<std::string> images;
        images.reserve(10);
        for (int i = 0; i < 10; ++i) images.push_back(dir.writeSample(QStringLiteral("Q%1AAJ00.SRL").arg(i)));
        TForm1 form(dir.dir(), {}, dir.dir());
        form.show();
        for (const std::string& image : images) {
            form.dropFiles({qtText(image)});
            form.waitForWork();
        }
        // Opened again: moves to the front, once. A file that did not open is not kept.
        form.dropFiles({qtText(images[5]), dir.path() + QStringLiteral("/missing.SRL")});
        form.waitForWork();
        QStringList expected{qtText(images[5])};
        for (int i = 9; expected.size() < 8; --i)
            if (i != 5) expected << qtText(images[std::size_t(i)]);
        QCOMPARE(form.recentFiles(), expected);

        // The Load button's menu lists them; choosing one loads it.
        auto* load = form.findChild<QPushButton*>(QStringLiteral("LoadBtn"));
        QCOMPARE(contextMenuChoosing(load, expected[3]).mid(0, 8), expected);
        form.waitForWork();
        QCOMPARE(qtText(form.session().fileName), expected[3]);
        QCOMPARE(form.recentFiles().front(), expected[3]);

        // A second window finds the same list.
        TForm1 again(dir.dir(), {}, dir.dir());
        QCOMPARE(again.recentFiles(), form.recentFiles());
    }

    void ctrlRReloadsTheCurrentImage() {
        TestDir dir;
        const QString name = QStringLiteral("QPVXJ00.SRL");
        const std::string image = dir.writeSample(name);
        TForm1 form(dir.dir(), {image}, dir.dir());
        form.show();
        form.waitForWork();
        QVERIFY(form.session().model.messages.lines.empty());
        dir.writeSample(name, [](std::vector<std::uint8_t>& bytes) { bytes[0x013] = 0x01; });
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_R, Qt::ControlModifier);
        form.waitForWork();
        QVERIFY(!shownLines(form).isEmpty());
        QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("Device_Code"))->text(), QStringLiteral("01"));
    }

    void aFailedLoadStaysAnOpenFailureAcrossSwitches_data() {
        QTest::addColumn<bool>("goodLoadFirst");
        QTest::newRow("mistyped argument") << false;
        QTest::newRow("after a faulty image") << true;
    }

    void aFailedLoadStaysAnOpenFailureAcrossSwitches() {
        QFETCH(bool, goodLoadFirst);
        TestDir dir;
        const std::string missing = dir.file(QStringLiteral("missing.SRL"));
        TForm1 form(dir.dir(), {goodLoadFirst ? dir.writeSample(QStringLiteral("image.bin")) : missing}, dir.dir());
        form.waitForWork();
        if (goodLoadFirst) {
            QVERIFY(!shownLines(form).isEmpty());
            form.dropFiles({qtText(missing)});
            form.waitForWork();
        }
        const WindowModel before = form.session().model;
        form.show();  // Japanese
        QCOMPARE(shownLines(form), QStringList{QStringLiteral("ファイルが開けません。")});
        auto* list = form.findChild<QComboBox*>(QStringLiteral("MComboBox"));
        QCOMPARE(list->currentText(), QStringLiteral("ファイルが開けません。"));
        QCOMPARE(list->lineEdit()->palette().color(QPalette::Text), QColor(0, 0, 0));
        form.findChild<QPushButton*>(QStringLiteral("LBtn"))->click();  // English
        QCOMPARE(shownLines(form), QStringList{QStringLiteral("Unable to open File.")});
        // The boxes still show what the failed run left them.
        WindowModel expected = before;
        expected.messages = form.session().model.messages;
        for (std::size_t i = 0; i < kControlCount; ++i)
            expected.control(static_cast<Control>(i)) = form.session().model.control(static_cast<Control>(i));
        QCOMPARE(modelDifference(form.session().model, expected), QString());
        QCOMPARE(windowDifference(form), QString());
    }
};

int runDesktopTests(int argc, char** argv) {
    DesktopTest t;
    return QTest::qExec(&t, argc, argv);
}

}  // namespace parvex::test

#include "DesktopTest.moc"
