#include "UiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include "tools/SampleImage.h"
#include "ui/QtConvert.h"

namespace parvex::test {
namespace {

QString describe(std::string_view what, std::string_view name, const QString& shown, const QString& expected) {
    return QStringLiteral("%1 of %2: shows \"%3\", model has \"%4\"")
        .arg(qtText(what), qtText(name), shown, expected);
}

QString colourName(const QColor& c) { return c.name(); }

QString rowDifference(const QTreeWidgetItem* item, const std::vector<QString>& texts,
                      const std::optional<Colour>& colour) {
    for (std::size_t column = 0; column < texts.size(); ++column) {
        const int c = static_cast<int>(column);
        if (item->text(c) != texts[column]) return describe("row text", "list", item->text(c), texts[column]);
        const QBrush brush = item->foreground(c);
        if (colour && brush.color() != qtColour(*colour))
            return describe("row colour", "list", colourName(brush.color()), colourName(qtColour(*colour)));
        if (!colour && brush.style() != Qt::NoBrush) return QStringLiteral("a plain row is drawn coloured");
    }
    return {};
}

}  // namespace

TestDir::TestDir() { m_dir.setAutoRemove(true); }

std::string TestDir::dir() const { return filePath(m_dir.path()); }

std::string TestDir::file(const QString& name) const { return filePath(m_dir.filePath(name)); }

std::string TestDir::writeSample(const QString& name,
                                 const std::function<void(std::vector<std::uint8_t>&)>& edit) const {
    std::string path = file(name);
    std::vector<std::uint8_t> image = buildSampleImage(sampleOptionsForName(name.toStdString()));
    if (edit) edit(image);
    writeImage(path, image);
    return path;
}

std::string TestDir::writeBytes(const QString& name, const std::vector<std::uint8_t>& bytes) const {
    std::string path = file(name);
    writeImage(path, bytes);
    return path;
}

std::string TestDir::makeDir(const QString& name) const {
    QDir(m_dir.path()).mkpath(name);
    return file(name);
}

QString windowDifference(const TForm1& form) {
    const WindowModel& model = form.session().model;
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const auto field = static_cast<Field>(i);
        const std::string_view name = fieldName(field);
        const auto* edit = form.findChild<QLineEdit*>(qtText(name));
        if (!edit) {
            if (name.starts_with("Edit")) continue;  // work boxes are never shown
            return QStringLiteral("no box for %1").arg(qtText(name));
        }
        const DisplayField& d = model.field(field);
        if (edit->text() != qtText(d.text)) return describe("text", name, edit->text(), qtText(d.text));
        if (edit->palette().color(QPalette::Text) != qtColour(d.colour))
            return describe("colour", name, colourName(edit->palette().color(QPalette::Text)),
                            colourName(qtColour(d.colour)));
        if (edit->isHidden() == d.visible) return describe("visibility", name, {}, {});
    }
    for (std::size_t i = 0; i < kControlCount; ++i) {
        const auto control = static_cast<Control>(i);
        const std::string_view name = controlName(control);
        const ControlTexts& t = model.control(control);
        if (controlKind(control) == ControlKind::Dialog) continue;
        const auto* widget = form.findChild<QWidget*>(qtText(name));
        if (!widget) return QStringLiteral("no widget for %1").arg(qtText(name));
        if (widget->toolTip() != qtText(t.hint)) return describe("hint", name, widget->toolTip(), qtText(t.hint));
        if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
            if (button->text() != qtText(t.caption))
                return describe("caption", name, button->text(), qtText(t.caption));
        } else if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            if (label->text() != labelCaption(t.caption))
                return describe("caption", name, label->text(), labelCaption(t.caption));
        } else if (const auto* list = qobject_cast<const QTreeWidget*>(widget)) {
            if (list->headerItem()->text(0) != qtText(t.column1))
                return describe("column 1", name, list->headerItem()->text(0), qtText(t.column1));
            if (list->columnCount() > 1 && list->headerItem()->text(1) != qtText(t.column2))
                return describe("column 2", name, list->headerItem()->text(1), qtText(t.column2));
        }
        if (controlKind(control) != ControlKind::ValueBox && widget->isHidden() == t.visible)
            return describe("visibility", name, {}, {});
    }

    const auto* messages = form.findChild<QComboBox*>(QStringLiteral("MComboBox"));
    if (!messages) return QStringLiteral("no message list");
    if (messages->currentText() != qtText(model.messages.text))
        return describe("text", "MComboBox", messages->currentText(), qtText(model.messages.text));
    QStringList lines;
    for (const MessageLine& line : model.messages.lines) lines << qtText(line.text);
    if (shownLines(form) != lines) return describe("lines", "MComboBox", shownLines(form).join('|'), lines.join('|'));
    if (messages->lineEdit()->palette().color(QPalette::Text) != qtColour(model.messages.colour))
        return QStringLiteral("message list colour differs");

    const auto* sdk = form.findChild<QTreeWidget*>(QStringLiteral("SDK_ListView"));
    if (sdk->topLevelItemCount() != static_cast<int>(model.sdkRows.size())) return QStringLiteral("SDK row count");
    for (std::size_t i = 0; i < model.sdkRows.size(); ++i) {
        const SdkRow& row = model.sdkRows[i];
        QString d = rowDifference(sdk->topLevelItem(static_cast<int>(i)), {qtText(row.caption)}, sdkRowColour(row));
        if (!d.isEmpty()) return d;
    }
    const auto* middleware = form.findChild<QTreeWidget*>(QStringLiteral("Middleware_ListView"));
    if (middleware->topLevelItemCount() != static_cast<int>(model.middlewareRows.size()))
        return QStringLiteral("middleware row count");
    for (std::size_t i = 0; i < model.middlewareRows.size(); ++i) {
        const MiddlewareRow& row = model.middlewareRows[i];
        QString d = rowDifference(middleware->topLevelItem(static_cast<int>(i)),
                                  {qtText(row.development), qtText(row.module)}, middlewareRowColour(row));
        if (!d.isEmpty()) return d;
    }
    if (form.windowTitle() != qtText(model.caption))
        return describe("caption", "Form1", form.windowTitle(), qtText(model.caption));
    return {};
}

QString modelDifference(const WindowModel& shown, const WindowModel& expected) {
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const auto field = static_cast<Field>(i);
        const DisplayField& a = shown.field(field);
        const DisplayField& b = expected.field(field);
        if (a.text != b.text) return describe("text", fieldName(field), qtText(a.text), qtText(b.text));
        if (a.colour != b.colour || a.visible != b.visible) return describe("look", fieldName(field), {}, {});
    }
    for (std::size_t i = 0; i < kControlCount; ++i) {
        const auto control = static_cast<Control>(i);
        for (Property p : {Property::Caption, Property::Hint, Property::Column1, Property::Column2, Property::Filter})
            if (shown.control(control)[p] != expected.control(control)[p])
                return describe(propertyName(p), controlName(control), qtText(shown.control(control)[p]),
                                qtText(expected.control(control)[p]));
        if (shown.control(control).visible != expected.control(control).visible)
            return describe("visibility", controlName(control), {}, {});
    }
    if (shown.messages.text != expected.messages.text)
        return describe("text", "MComboBox", qtText(shown.messages.text), qtText(expected.messages.text));
    if (shown.messages.lines.size() != expected.messages.lines.size() ||
        shown.messages.colour != expected.messages.colour)
        return QStringLiteral("message lines or colour differ");
    for (std::size_t i = 0; i < shown.messages.lines.size(); ++i)
        if (shown.messages.lines[i].text != expected.messages.lines[i].text)
            return describe("line", "MComboBox", qtText(shown.messages.lines[i].text),
                            qtText(expected.messages.lines[i].text));
    if (shown.sdkRows.size() != expected.sdkRows.size() ||
        shown.middlewareRows.size() != expected.middlewareRows.size())
        return QStringLiteral("build list rows differ");
    if (shown.caption != expected.caption)
        return describe("caption", "Form1", qtText(shown.caption), qtText(expected.caption));
    return {};
}

QStringList shownLines(const TForm1& form) {
    const auto* messages = form.findChild<QComboBox*>(QStringLiteral("MComboBox"));
    QStringList lines;
    for (int i = 0; i < messages->count(); ++i) lines << messages->itemText(i);
    return lines;
}

void dropOn(QWidget* target, const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    const QPoint at(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

QString modalCaptionDuring(const std::function<void()>& trigger) {
    QString caption;
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [&caption] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box) return;
        caption = box->windowTitle();
        if (auto* ok = box->findChild<QPushButton*>(QStringLiteral("bOK"))) ok->click();
        else box->close();
    });
    closer.start(0);
    trigger();
    return caption;
}

QStringList contextMenuChoosing(QWidget* widget, const QString& choose) {
    QStringList texts;
    QTimer chooser;
    chooser.setInterval(0);
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        chooser.stop();
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) continue;
            texts << action->text();
            if (!choose.isEmpty() && action->text() == choose) chosen = action;
        }
        menu->close();
        if (chosen) chosen->trigger();
    });
    chooser.start();
    const QPoint at(widget->width() / 2, widget->height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
    return texts;
}

std::string writeLargeSample(const TestDir& dir, const QString& name) {
    std::string path = dir.writeSample(name);
    QFile file(qtText(path));
    if (!file.resize(qint64(1) << 30)) return {};
    return path;
}

QStringList contextMenuEntries(QWidget* widget) {
    QStringList entries;
    QTimer reader;
    reader.setInterval(0);
    QObject::connect(&reader, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        reader.stop();
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                entries << (action->isEnabled() ? action->text() : action->text() + QStringLiteral(" (disabled)"));
        menu->close();
    });
    reader.start();
    const QPoint at(widget->width() / 2, widget->height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
    return entries;
}

QString messageBoxTextDuring(const std::function<void()>& trigger) {
    QString text;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        closer.stop();
        text = box->text();
        box->close();
    });
    closer.start();
    trigger();
    return text;
}

QByteArray checkerOutput(const QStringList& arguments) {
    QProcess checker;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    env.remove(QStringLiteral("LC_ALL"));
    env.insert(QStringLiteral("NO_COLOR"), QStringLiteral("1"));
    checker.setProcessEnvironment(env);
    checker.start(QStringLiteral(PARVEX_CHECK_PATH), arguments);
    checker.waitForFinished(60000);
    return checker.readAllStandardOutput();
}

}  // namespace parvex::test
