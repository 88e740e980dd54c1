// The window as a view of the model: boxes, colours, captions, build lists and user edits.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "UiTestSupport.h"

namespace parvex::test {

class RenderTest : public QObject {
    Q_OBJECT

private slots:
    void everyBoxShowsItsModelFieldAfterARun() {
        TestDir dir;
        const std::string image = dir.writeSample(QStringLiteral("image.bin"));
        TForm1 form(dir.dir(), {image}, dir.dir());
        form.waitForWork();
        form.show();
        QCOMPARE(windowDifference(form), QString());
        bool anyRed = false;
        for (std::size_t i = 0; i < kFieldCount; ++i) {
            const auto field = static_cast<Field>(i);
            if (form.session().model.field(field).colour != Colour::Red) continue;
            const auto* box = form.findChild<QLineEdit*>(QLatin1String(fieldName(field).data()));
            QCOMPARE(box->palette().color(QPalette::Text), QColor(255, 0, 0));
            anyRed = true;
        }
        QVERIFY(anyRed);
    }

    void designColoursAndBackgrounds() {
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        const auto* crc = form.findChild<QLineEdit*>(QStringLiteral("CRC_ans"));
        QCOMPARE(crc->text(), QStringLiteral("CRC"));
        QCOMPARE(crc->palette().color(QPalette::Text), QColor(0, 0, 255));
        for (const QLineEdit* box : form.findChildren<QLineEdit*>())
            if (!box->objectName().isEmpty()) QCOMPARE(box->palette().color(QPalette::Base), QColor(Qt::white));
    }

    void ampersandsShowAsTheCaptionMeans() {
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label44"))->text(),
                 QStringLiteral("0x060 - 0x067 & 0x06E - 0x06F"));
        QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("LoadBtn"))->text(), QStringLiteral("&Load"));
    }

    void buildListRowColours() {
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        WindowModel& model = form.session().model;
        model.sdkRows = {{"4.2 RELEASE", false}, {"4.2 RELEASE [STATIC MODULE]", true}};
        model.middlewareRows = {{"VELTRANE", "KELBO", true}, {"VELTRANE", "SOUNDLIB"}, {"ACME", "KELBO"}};
        form.render();
        QCOMPARE(windowDifference(form), QString());
        const auto* sdk = form.findChild<QTreeWidget*>(QStringLiteral("SDK_ListView"));
        QCOMPARE(sdk->topLevelItem(0)->foreground(0).style(), Qt::NoBrush);
        QCOMPARE(sdk->topLevelItem(1)->foreground(0).color(), QColor(0, 0, 255));
        const auto* middleware = form.findChild<QTreeWidget*>(QStringLiteral("Middleware_ListView"));
        QCOMPARE(middleware->topLevelItem(0)->foreground(1).color(), QColor(255, 0, 0));
        QCOMPARE(middleware->topLevelItem(1)->foreground(1).style(), Qt::NoBrush);
        QCOMPARE(middleware->topLevelItem(2)->foreground(0).style(), Qt::NoBrush);
    }

    void typedTextReachesTheModelOnlyInEditableBoxes() {
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        form.show();
        for (Field field : {Field::Title_Code, Field::Remaster_ASCII, Field::MROM_Ver}) {
            auto* box = form.findChild<QLineEdit*>(QLatin1String(fieldName(field).data()));
            box->setVisible(true);
            QTest::keyClicks(box, QStringLiteral("1"));
            QCOMPARE(form.session().model.text(field), std::string("1"));
        }
        auto* readOnly = form.findChild<QLineEdit*>(QStringLiteral("Game_Title"));
        QTest::keyClicks(readOnly, QStringLiteral("1"));
        QCOMPARE(form.session().model.text(Field::Game_Title), std::string());
        QCOMPARE(readOnly->text(), QString());
    }

    void fixedSizeWindowWithListsOutOfTheTabChain() {
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        QCOMPARE(form.size(), QSize(817, 731));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        for (const char* name : {"SDK_ListView", "Middleware_ListView"}) {
            const auto* list = form.findChild<QTreeWidget*>(QLatin1String(name));
            QCOMPARE(list->focusPolicy(), Qt::NoFocus);
            QVERIFY(!list->rootIsDecorated());
            QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
        }
    }
};

int runRenderTests(int argc, char** argv) {
    RenderTest t;
    return QTest::qExec(&t, argc, argv);
}

}  // namespace parvex::test

#include "RenderTest.moc"
