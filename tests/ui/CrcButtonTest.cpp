// The CRC button: the whole-file CRC of the current file, or a notice when there is none.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "UiTestSupport.h"
#include "core/Findings.h"
#include "ui/QtConvert.h"

namespace parvex::test {

class CrcButtonTest : public QObject {
    Q_OBJECT

private slots:
    void beforeAnyLoad_data() {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("language");
        QTest::newRow("English notice before the first showing") << false << int(Language::English);
        QTest::newRow("Japanese notice once shown") << true << int(Language::Japanese);
    }

    void beforeAnyLoad() {
        QFETCH(bool, shown);
        QFETCH(int, language);
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        if (shown) form.show();
        auto* button = form.findChild<QPushButton*>(QStringLiteral("CRCBtn"));
        button->click();
        form.waitForWork();
        const auto lang = static_cast<Language>(language);
        QCOMPARE(form.findChild<QComboBox*>(QStringLiteral("MComboBox"))->currentText(),
                 qtText(firstCopy(Msg::CrcOpenFailed, lang)));
        QCOMPARE(shownLines(form), QStringList{qtText(secondCopy(Msg::CrcOpenFailed, lang))});
        QCOMPARE(form.session().model.messages.colour, Colour::Black);
        QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("CRC_ans"))->text(), QStringLiteral("CRC"));
        QVERIFY(button->isEnabled());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void crcOfTheLoadedFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("crc");
        QTest::newRow("pairs taken swapped") << QByteArray("\x01\x02\x03\x04", 4) << QStringLiteral("26FF");
        QTest::newRow("odd trailing byte left out")
            << QByteArray("\x01\x02\x03\x04\x05", 5) << QStringLiteral("26FF");
        QTest::newRow("empty file") << QByteArray() << QStringLiteral("0000");
    }

    void crcOfTheLoadedFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, crc);
        TestDir dir;
        const std::string image = dir.writeBytes(QStringLiteral("tiny.bin"), {bytes.begin(), bytes.end()});
        TForm1 form(dir.dir(), {image}, dir.dir());
        form.waitForWork();
        auto* answer = form.findChild<QLineEdit*>(QStringLiteral("CRC_ans"));
        QCOMPARE(answer->text(), QString());
        form.findChild<QPushButton*>(QStringLiteral("CRCBtn"))->click();
        form.waitForWork();
        QCOMPARE(answer->text(), crc);
        QCOMPARE(answer->palette().color(QPalette::Text), QColor(0, 0, 255));

        // A new load empties the box until the button is used again.
        dropOn(&form, {qtText(image)});
        form.waitForWork();
        QCOMPARE(answer->text(), QString());
    }
};

int runCrcButtonTests(int argc, char** argv) {
    CrcButtonTest t;
    return QTest::qExec(&t, argc, argv);
}

}  // namespace parvex::test

#include "CrcButtonTest.moc"
