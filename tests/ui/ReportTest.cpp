// Taking the report away: Ctrl+Shift+C and Save give what parvex-check prints for the same image and
// language, and every list copies whole from its context menu.
#include <functional>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "UiTestSupport.h"
#include "core/Findings.h"
#include "ui/QtConvert.h"

namespace parvex::test {
namespace {

// The window states to compare, each with the parvex-check options that reach the same model.
struct Scene {
    const char* name;
    bool show;              // the first showing turns the window Japanese
    bool dropAfterShowing;  // load by a drop (in the shown language) instead of the argument
    int switchClicks;       // clicks on the language button afterwards
    bool crc;               // the CRC button afterwards
    QStringList checkerOptions;
};

const Scene kScenes[] = {
    {"argument, shown (English run, Japanese switch)", true, false, 0, false, {"--lang", "en", "--switch", "1"}},
    {"dropped in Japanese", true, true, 0, false, {"--lang", "ja"}},
    {"dropped in Japanese, switched to English", true, true, 1, false, {"--lang", "ja", "--switch", "1"}},
    {"dropped in Japanese, then the CRC", true, true, 0, true, {"--lang", "ja", "--crc"}},
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

}  // namespace

class ReportTest : public QObject {
    Q_OBJECT

    // Builds the scene's window over a faulty image; returns the image's path.
    std::string prepare(const Scene& scene, const TestDir& dir, std::unique_ptr<TForm1>& form) {
        // Not a submission name, and a wrong device code: findings of both kinds to report.
        std::string image =
            dir.writeSample(QStringLiteral("image.bin"), [](std::vector<std::uint8_t>& b) { b[0x013] = 0x01; });
        form = std::make_unique<TForm1>(
            dir.dir(), scene.dropAfterShowing ? std::vector<std::string>{} : std::vector<std::string>{image},
            dir.dir());
        if (scene.show) form->show();
        form->waitForWork();
        if (scene.dropAfterShowing) {
            dropOn(form.get(), {qtText(image)});
            form->waitForWork();
        }
        for (int i = 0; i < scene.switchClicks; ++i) form->findChild<QPushButton*>(QStringLiteral("LBtn"))->click();
        if (scene.crc) {
            form->findChild<QPushButton*>(QStringLiteral("CRCBtn"))->click();
            form->waitForWork();
        }
        return image;
    }

    QStringList checkerArguments(const Scene& scene, const TestDir& dir, const std::string& image) {
        return scene.checkerOptions + QStringList{QStringLiteral("--side-dir"), dir.path(), qtText(image)};
    }

private slots:
    void copiedReportIsTheCheckersText_data() {
        QTest::addColumn<int>("scene");
        for (int i = 0; i < int(std::size(kScenes)); ++i) QTest::newRow(kScenes[i].name) << i;
    }

    void copiedReportIsTheCheckersText() {
        QFETCH(int, scene);
        TestDir dir;
        std::unique_ptr<TForm1> form;
        const std::string image = prepare(kScenes[scene], dir, form);
        const QByteArray expected = checkerOutput(checkerArguments(kScenes[scene], dir, image));
        QVERIFY(expected.contains("image.bin"));

        QGuiApplication::clipboard()->clear();
        if (kScenes[scene].show) {
            // The keys themselves, on the active window.
            form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(form.get()));
            QTest::keyClick(form.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        } else {
            form->copyReportCommand();
        }
        QCOMPARE(QGuiApplication::clipboard()->text().toUtf8(), expected);
    }

    void savedReportIsTheCheckersTextOrJson_data() {
        QTest::addColumn<int>("scene");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("json");
        for (int i = 0; i < int(std::size(kScenes)); ++i) {
            QTest::addRow("%s, .json", kScenes[i].name) << i << QStringLiteral("report.json") << true;
            QTest::addRow("%s, .JSON", kScenes[i].name) << i << QStringLiteral("REPORT.JSON") << true;
            QTest::addRow("%s, .txt", kScenes[i].name) << i << QStringLiteral("report.txt") << false;
            QTest::addRow("%s, .json.txt", kScenes[i].name) << i << QStringLiteral("report.json.txt") << false;
        }
    }

    void savedReportIsTheCheckersTextOrJson() {
        QFETCH(int, scene);
        QFETCH(QString, name);
        QFETCH(bool, json);
        TestDir dir;
        std::unique_ptr<TForm1> form;
        const std::string image = prepare(kScenes[scene], dir, form);
        QStringList arguments = checkerArguments(kScenes[scene], dir, image);
        if (json) arguments.prepend(QStringLiteral("--json"));
        const QString path = dir.path() + QLatin1Char('/') + name;
        QVERIFY(form->saveReport(path));
        QCOMPARE(readAll(path), checkerOutput(arguments));
        // A second save replaces the first whole.
        QVERIFY(form->saveReport(path));
        QCOMPARE(readAll(path), checkerOutput(arguments));
    }

    void aReportThatCannotBeWrittenIsRefused() {
        TestDir dir;
        TForm1 form(dir.dir(), {}, dir.dir());
        QVERIFY(!form.saveReport(dir.path() + QStringLiteral("/no/such/folder/report.txt")));
    }

    void copyAllInTheCurrentLanguage_data() {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<int>("clicks");
        QTest::newRow("message list, Japanese") << QStringLiteral("MComboBox") << 0;
        QTest::newRow("message list, English") << QStringLiteral("MComboBox") << 1;
        QTest::newRow("SDK list, Japanese") << QStringLiteral("SDK_ListView") << 0;
        QTest::newRow("SDK list, English") << QStringLiteral("SDK_ListView") << 1;
        QTest::newRow("middleware list, Japanese") << QStringLiteral("Middleware_ListView") << 0;
        QTest::newRow("middleware list, English") << QStringLiteral("Middleware_ListView") << 1;
    }

    void copyAllInTheCurrentLanguage() {
        QFETCH(QString, widget);
        QFETCH(int, clicks);
        TestDir dir;
        const std::string image = dir.writeSample(QStringLiteral("image.bin"));
        TForm1 form(dir.dir(), {image}, dir.dir());
        form.show();
        form.waitForWork();
        for (int i = 0; i < clicks; ++i) form.findChild<QPushButton*>(QStringLiteral("LBtn"))->click();
        const WindowModel& model = form.session().model;
        const QString copyAll = qtText(textOf(model, Msg::CopyAll));

        QString expected;
        QWidget* target = nullptr;
        if (widget == QLatin1String("MComboBox")) {
            for (const MessageLine& line : model.messages.lines) expected += qtText(line.text) + QLatin1Char('\n');
            target = form.findChild<QComboBox*>(widget)->lineEdit();
        } else if (widget == QLatin1String("SDK_ListView")) {
            for (const SdkRow& row : model.sdkRows) expected += qtText(row.caption) + QLatin1Char('\n');
            target = form.findChild<QTreeWidget*>(widget)->viewport();
        } else {
            for (const MiddlewareRow& row : model.middlewareRows)
                expected += qtText(row.development) + QLatin1Char('\t') + qtText(row.module) + QLatin1Char('\n');
            target = form.findChild<QTreeWidget*>(widget)->viewport();
        }
        QVERIFY(!expected.isEmpty());

        QGuiApplication::clipboard()->clear();
        const QStringList offered = contextMenuChoosing(target, copyAll);
        QVERIFY2(offered.contains(copyAll), qPrintable(offered.join(QLatin1String(" | "))));
        // The other language's text is not offered.
        QVERIFY(!offered.contains(qtText(firstCopy(Msg::CopyAll, clicks ? Language::Japanese : Language::English))));
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    }
};

int runReportTests(int argc, char** argv) {
    ReportTest t;
    return QTest::qExec(&t, argc, argv);
}

}  // namespace parvex::test

#include "ReportTest.moc"
