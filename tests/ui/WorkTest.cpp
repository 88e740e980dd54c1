// Long work off the GUI thread: the window shows at once, keeps serving events, refuses a second
// command, cancels on close, and ends with the model a run on the GUI thread gives.
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "UiTestSupport.h"
#include "core/Findings.h"
#include "ui/QtConvert.h"

namespace parvex::test {
namespace {

constexpr qint64 kGibibyte = qint64(1) << 30;

// The sample image grown to 1 GiB without writing the rest: the file system keeps it sparse.
std::string writeLargeImage(const TestDir& dir, const QString& name) {
    std::string path = dir.writeSample(name);
    QFile file(qtText(path));
    if (!file.resize(kGibibyte)) return {};
    return path;
}

// Counts the ticks of a timer that fire while the form is at work, and the captions seen then.
struct TickCounter {
    int whileBusy = 0;
    QStringList captions;
};

}  // namespace

class WorkTest : public QObject {
    Q_OBJECT

private slots:
    void aLargeRunKeepsTheEventLoopServingAndEndsLikeASynchronousRun() {
        TestDir dir;
        const std::string image = writeLargeImage(dir, QStringLiteral("QPVXJ00.SRL"));
        QVERIFY(!image.empty());
        TForm1 form(dir.dir(), {image}, dir.dir());
        // The constructor came back with the run still at work: the window can show at once.
        QVERIFY(form.busy());
        form.show();
        QVERIFY(!form.findChild<QPushButton*>(QStringLiteral("LoadBtn"))->isEnabled());

        TickCounter ticks;
        QTimer timer;
        timer.setInterval(1);
        connect(&timer, &QTimer::timeout, [&] {
            if (!form.busy()) return;
            ++ticks.whileBusy;
            ticks.captions << form.windowTitle();
        });
        timer.start();
        form.waitForWork();
        timer.stop();
        QVERIFY2(ticks.whileBusy > 0, "the timer never fired while the run was at work");
        QVERIFY(ticks.captions.last().endsWith(QStringLiteral(" MiB")));
        QVERIFY(ticks.captions.last().startsWith(qtText(firstCopy(Msg::CheckingProgress, Language::English))));

        Session reference(dir.dir());
        reference.load(image);
        reference.switchLanguage();  // the first showing's, made once the run had ended
        QCOMPARE(modelDifference(form.session().model, reference.model), QString());
        QCOMPARE(windowDifference(form), QString());
        QCOMPARE(form.windowTitle(), qtText(image));
        QVERIFY(form.findChild<QPushButton*>(QStringLiteral("LoadBtn"))->isEnabled());

        // The CRC of the same image: at work off the thread, then the same text as on it.
        auto* crc = form.findChild<QPushButton*>(QStringLiteral("CRCBtn"));
        crc->click();
        QVERIFY(form.busy());
        QVERIFY(!crc->isEnabled());
        QCOMPARE(crc->cursor().shape(), Qt::WaitCursor);
        ticks = {};
        timer.start();
        form.waitForWork();
        timer.stop();
        QVERIFY(ticks.whileBusy > 0);
        QVERIFY(ticks.captions.last().startsWith(qtText(firstCopy(Msg::CrcProgress, Language::Japanese))));
        reference.computeFileCrc();
        QCOMPARE(modelDifference(form.session().model, reference.model), QString());
        QVERIFY(crc->isEnabled());
        QCOMPARE(crc->cursor().shape(), Qt::PointingHandCursor);
    }

    void commandsThatWouldStartMoreWorkAreRefusedMeanwhile() {
        TestDir dir;
        const std::string large = writeLargeImage(dir, QStringLiteral("QPVXJ00.SRL"));
        const std::string other = dir.writeSample(QStringLiteral("QOTHJ00.SRL"));
        TForm1 form(dir.dir(), {large}, dir.dir());
        form.show();
        QVERIFY(form.busy());
        dropOn(&form, {qtText(other)});
        form.findChild<QPushButton*>(QStringLiteral("CRCBtn"))->click();
        form.findChild<QPushButton*>(QStringLiteral("LBtn"))->click();
        form.reloadCommand();
        form.waitForWork();
        QVERIFY(!form.busy());
        QCOMPARE(form.session().fileName, large);
        QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("CRC_ans"))->text(), QString());
        // One switch only: the first showing's.
        QCOMPARE(form.session().model.language(), Language::Japanese);
    }

    void closingCancelsTheWork_data() {
        QTest::addColumn<bool>("crc");
        QTest::newRow("during a run") << false;
        QTest::newRow("during the CRC") << true;
    }

    void closingCancelsTheWork() {
        QFETCH(bool, crc);
        TestDir dir;
        const std::string large = writeLargeImage(dir, QStringLiteral("QPVXJ00.SRL"));
        TForm1 form(dir.dir(), crc ? std::vector<std::string>{} : std::vector<std::string>{large}, dir.dir());
        form.show();
        if (crc) {
            form.waitForWork();
            form.dropFiles({qtText(large)});
            form.waitForWork();
            form.findChild<QPushButton*>(QStringLiteral("CRCBtn"))->click();
        }
        QVERIFY(form.busy());
        QVERIFY(form.close());
        QVERIFY(!form.busy());
        QVERIFY(!form.isVisible());
        QVERIFY(form.session().progress->cancelled);
        // Nothing is left to arrive later.
        QTest::qWait(20);
        QVERIFY(!form.busy());
    }
};

int runWorkTests(int argc, char** argv) {
    WorkTest t;
    return QTest::qExec(&t, argc, argv);
}

}  // namespace parvex::test

#include "WorkTest.moc"
