#include "ui/MainWindow.h"

#include <algorithm>
#include <utility>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>
#include <QUrl>

#include "ui/AboutBox.h"
#include "ui/Fonts.h"
#include "report/Report.h"
#include "layout/FormDesign.h"
#include "layout/Placement.h"
#include "ui/QtConvert.h"
#include "layout/StartupPath.h"

// The pictures live in a static library, so its resources are registered by hand.
static void initResources() { Q_INIT_RESOURCE(parvex); }

namespace parvex {
namespace {

QColor tintColour(Tint tint) {
    switch (tint) {
        case Tint::None: break;
        case Tint::Blue: return qtColour(Colour::Blue);
        case Tint::Fuchsia: return QColor(255, 0, 255);
        case Tint::Green: return QColor(0, 128, 0);
    }
    return qtColour(Colour::Black);
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    if (palette.color(QPalette::Text) == colour && palette.color(QPalette::WindowText) == colour) return;
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

// Where the recent files are kept between sessions.
QSettings recentSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("parvex"), QStringLiteral("parvex"));
}

const QString kRecentKey = QStringLiteral("recentFiles");

// Every row of a build list, one line each, columns separated by a tab.
QString listText(const QTreeWidget* list) {
    QString text;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list->topLevelItem(row);
        QStringList columns;
        for (int column = 0; column < list->columnCount(); ++column) columns << item->text(column);
        text += columns.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

QIcon picture(const char* name) { return QIcon(QStringLiteral(":/images/%1.xpm").arg(QLatin1String(name))); }

}  // namespace

TForm1::TForm1(std::string programDir, std::vector<std::string> arguments, std::string startDir,
               std::vector<std::string> sideDirs, QWidget* parent)
    : QWidget(parent), m_session(std::move(programDir), std::move(sideDirs)), m_startDir(std::move(startDir)) {
    initResources();
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(kClientWidth, kClientHeight);
    move(kWindowLeft, kWindowTop);
    setFont(designFont(kFontPixels, FontPitch::Proportional));
    buildForm();
    buildMenu();
    buildShortcuts();
    buildContextMenus();
    m_about = std::make_unique<TfAbout>();
    m_session.progress = &m_progress;
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(100);
    connect(m_progressTimer, &QTimer::timeout, this, &TForm1::showProgress);

    render();
    // The argument is checked before the first showing, so that showing re-runs it in Japanese;
    // the window shows at once and its first switch waits for the run.
    if (!arguments.empty())
        loadPaths({resolveStartupPath(arguments.front(), m_startDir, m_session.state.Program_Dir)});
    setAcceptDrops(true);
}

TForm1::~TForm1() {
    if (!m_worker) return;
    m_progress.cancelled = true;
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
}

void TForm1::buildForm() {
    std::vector<QWidget*> parents(groupDesigns().size() + 1, nullptr);
    parents[static_cast<std::size_t>(Group::Window)] = this;
    for (const GroupDesign& g : groupDesigns()) {
        auto* box = new QGroupBox(parents[static_cast<std::size_t>(g.parent)]);
        box->setObjectName(QLatin1String(g.name));
        box->setGeometry(g.place.left, g.place.top, g.place.width, g.place.height);
        parents[static_cast<std::size_t>(g.group)] = box;
    }
    for (const ControlDesign& d : controlDesigns()) {
        QWidget* widget = createControl(d, parents[static_cast<std::size_t>(d.group)]);
        widget->setObjectName(QLatin1String(d.name));
        if (d.place.width > 0) widget->setGeometry(d.place.left, d.place.top, d.place.width, d.place.height);
        else widget->move(d.place.left, d.place.top);
    }

    const std::pair<Control, void (TForm1::*)()> commands[] = {
        {Control::LoadBtn, &TForm1::loadCommand},   {Control::VersionBtn, &TForm1::aboutCommand},
        {Control::LBtn, &TForm1::switchLanguage},   {Control::CRCBtn, &TForm1::CRCBtnClick},
        {Control::BitBtn4, nullptr},
    };
    for (const ControlBinding& b : m_controls)
        for (const auto& [control, command] : commands)
            if (b.control == control) {
                auto* button = static_cast<QPushButton*>(b.widget);
                if (command) connect(button, &QPushButton::clicked, this, command);
                else connect(button, &QPushButton::clicked, this, &QWidget::close);
            }
}

QWidget* TForm1::createControl(const ControlDesign& d, QWidget* parent) {
    const QFont bold = designFont(kFontPixels, FontPitch::Proportional, FontWeight::Bold);
    switch (d.look) {
        case Look::BoxReadOnly:
        case Look::BoxEditable: {
            auto* edit = new QLineEdit(parent);
            edit->setReadOnly(d.look == Look::BoxReadOnly);
            edit->setAcceptDrops(false);  // a dropped file goes to the window, not into a box
            QPalette palette = edit->palette();
            palette.setColor(QPalette::Base, Qt::white);
            edit->setPalette(palette);
            const Field field = *d.field;
            m_boxes.push_back({edit, field});
            if (const auto control = controlByName(d.name)) m_controls.push_back({edit, *control, Fit::Fixed});
            // Checks read some boxes back, so what the user types is the box's text.
            if (d.look == Look::BoxEditable)
                connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
                    // While a run works the model is its own; the run's result replaces the text.
                    if (!busy()) m_session.model.setText(field, text.toStdString());
                });
            return edit;
        }
        case Look::MessageList: {
            m_messageList = new QComboBox(parent);
            m_messageList->setEditable(true);
            m_messageList->setInsertPolicy(QComboBox::NoInsert);
            m_messageList->setAcceptDrops(false);
            m_messageList->lineEdit()->setAcceptDrops(false);
            // Every line is shown whole: no elision, the drop-down as wide as its longest line.
            m_messageList->view()->setTextElideMode(Qt::ElideNone);
            m_controls.push_back({m_messageList, *d.control, Fit::Fixed});
            return m_messageList;
        }
        case Look::ButtonPlain:
        case Look::ButtonBold: {
            auto* button = new QPushButton(parent);
            button->setIcon(picture(d.picture));
            if (d.look == Look::ButtonBold) button->setFont(bold);
            if (d.control == Control::CRCBtn) {
                m_crcButton = button;
                button->setCursor(Qt::PointingHandCursor);
            }
            if (d.control == Control::LoadBtn) m_loadButton = button;
            if (d.control == Control::LBtn) m_languageButton = button;
            m_controls.push_back({button, *d.control, Fit::Fixed});
            return button;
        }
        case Look::Label:
        case Look::BoldLabel:
        case Look::BoldRightLabel:
        case Look::OffsetLabel:
        case Look::SuffixLabel:
        case Look::Panel:
        case Look::BarePanel: {
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            if (d.look == Look::OffsetLabel) label->setFont(designFont(kFontPixels, FontPitch::Fixed));
            else if (d.look != Look::Label && d.look != Look::Panel) label->setFont(bold);
            if (d.look == Look::Panel) label->setFrameStyle(QFrame::Box | QFrame::Plain);
            if (d.look == Look::Panel || d.look == Look::BarePanel) label->setAlignment(Qt::AlignCenter);
            if (d.look == Look::BoldRightLabel) label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (d.tint != Tint::None) setTextColour(label, tintColour(d.tint));
            // A right-aligned label grows to the left when its caption is wider than the design.
            const Fit fit = d.place.width == 0              ? Fit::KeepLeftEdge
                            : d.look == Look::BoldRightLabel ? Fit::KeepRightEdge
                                                             : Fit::Fixed;
            m_controls.push_back({label, *d.control, fit});
            return label;
        }
        case Look::ListView: {
            auto* list = new QTreeWidget(parent);
            list->setRootIsDecorated(false);
            list->setItemsExpandable(false);
            list->setUniformRowHeights(true);
            list->setAllColumnsShowFocus(true);
            list->setEditTriggers(QAbstractItemView::NoEditTriggers);
            list->setFocusPolicy(Qt::NoFocus);
            list->setAcceptDrops(false);
            list->header()->setStretchLastSection(false);
            list->header()->setSectionsMovable(false);
            if (d.control == Control::SDK_ListView) {
                m_sdkList = list;
                list->setColumnCount(1);
                list->setColumnWidth(0, kSdkColumnWidth);
            } else {
                m_middlewareList = list;
                list->setColumnCount(2);
                list->setColumnWidth(0, kDevelopmentColumnWidth);
                list->setColumnWidth(1, kModuleColumnWidth);
            }
            m_controls.push_back({list, *d.control, Fit::Fixed});
            return list;
        }
        case Look::Picture: {
            auto* label = new QLabel(parent);
            label->setPixmap(picture(d.picture).pixmap(d.place.width, d.place.height));
            return label;
        }
    }
    return new QWidget(parent);
}

void TForm1::buildMenu() {
    const auto text = [](Menu m) { return qtText(menuCaption(m)); };
    const auto name = [](Menu m) { return qtText(menuName(m)); };
    m_menu = new QMenuBar(this);
    m_menu->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* file = m_menu->addMenu(text(Menu::File1));
    file->setObjectName(name(Menu::File1));
    QAction* load = file->addAction(text(Menu::Load1), this, &TForm1::loadCommand);
    load->setObjectName(name(Menu::Load1));
    file->addSeparator();
    QAction* exit = file->addAction(text(Menu::Exit1), this, &QWidget::close);
    exit->setObjectName(name(Menu::Exit1));
    QMenu* help = m_menu->addMenu(text(Menu::Help1));
    help->setObjectName(name(Menu::Help1));
    QAction* about = help->addAction(text(Menu::About1), this, &TForm1::aboutCommand);
    about->setObjectName(name(Menu::About1));
    file->menuAction()->setVisible(false);
    help->menuAction()->setVisible(false);
    // Both entries are hidden, so no empty bar is drawn over the client area.
    m_menu->hide();
}

void TForm1::render() {
    // A run at work owns the model; the window shows it once the run has ended.
    if (busy()) return;
    followQtTranslation();
    for (const BoxBinding& b : m_boxes) renderBox(b);
    for (const ControlBinding& b : m_controls) renderControl(b);
    renderMessages();
    renderLists();
    setWindowTitle(qtText(m_session.model.caption));
}

void TForm1::renderBox(const BoxBinding& b) {
    const DisplayField& field = m_session.model.field(b.field);
    const QString text = qtText(field.text);
    if (b.edit->text() != text) {
        b.edit->setText(text);
        b.edit->setCursorPosition(0);
    }
    setTextColour(b.edit, qtColour(field.colour));
    b.edit->setHidden(!field.visible);
}

void TForm1::renderControl(const ControlBinding& b) {
    const ControlTexts& texts = m_session.model.control(b.control);
    b.widget->setToolTip(qtText(texts.hint));
    switch (controlKind(b.control)) {
        case ControlKind::Button:
            static_cast<QPushButton*>(b.widget)->setText(qtText(texts.caption));
            b.widget->setHidden(!texts.visible);
            break;
        case ControlKind::Label:
        case ControlKind::Panel: {
            auto* label = static_cast<QLabel*>(b.widget);
            const QString caption = labelCaption(texts.caption);
            if (label->text() != caption) {
                label->setText(caption);
                if (b.fit == Fit::KeepLeftEdge) label->adjustSize();
                if (b.fit == Fit::KeepRightEdge) {
                    const QRect place = label->geometry();
                    const int width = std::max(place.width(), label->sizeHint().width());
                    label->setGeometry(place.x() + place.width() - width, place.y(), width, place.height());
                }
            }
            label->setHidden(!texts.visible);
            break;
        }
        case ControlKind::ListView: {
            QTreeWidgetItem* header = static_cast<QTreeWidget*>(b.widget)->headerItem();
            header->setText(0, qtText(texts.column1));
            if (header->columnCount() > 1) header->setText(1, qtText(texts.column2));
            break;
        }
        case ControlKind::ComboBox:
        case ControlKind::ValueBox:
        case ControlKind::Dialog:
            break;
    }
}

void TForm1::renderMessages() {
    const MessageList& list = m_session.model.messages;
    QStringList lines;
    for (const MessageLine& line : list.lines) lines << qtText(line.text);
    QStringList shown;
    for (int i = 0; i < m_messageList->count(); ++i) shown << m_messageList->itemText(i);
    if (shown != lines) {
        m_messageList->clear();
        m_messageList->addItems(lines);
        for (int i = 0; i < lines.size(); ++i) m_messageList->setItemData(i, lines[i], Qt::ToolTipRole);
        QAbstractItemView* view = m_messageList->view();
        const int longest = lines.isEmpty() ? 0 : view->sizeHintForColumn(0);
        // The line, the view's frame and a vertical scroll bar, should the list be long.
        const int needed = longest + 2 * view->frameWidth() + view->verticalScrollBar()->sizeHint().width();
        view->setMinimumWidth(std::max(m_messageList->width(), needed));
    }
    m_messageList->setEditText(qtText(list.text));
    m_messageList->lineEdit()->setCursorPosition(0);
    const QColor colour = qtColour(list.colour);
    setTextColour(m_messageList, colour);
    setTextColour(m_messageList->lineEdit(), colour);
    setTextColour(m_messageList->view(), colour);
}

void TForm1::renderLists() {
    const WindowModel& model = m_session.model;
    m_sdkList->clear();
    for (const SdkRow& row : model.sdkRows) {
        auto* item = new QTreeWidgetItem(m_sdkList, {qtText(row.caption)});
        if (const auto colour = sdkRowColour(row)) item->setForeground(0, qtColour(*colour));
    }
    m_middlewareList->clear();
    for (const MiddlewareRow& row : model.middlewareRows) {
        auto* item = new QTreeWidgetItem(m_middlewareList, {qtText(row.development), qtText(row.module)});
        if (const auto colour = middlewareRowColour(row))
            for (int column = 0; column < 2; ++column) item->setForeground(column, qtColour(*colour));
    }
}

std::unique_ptr<QFileDialog> TForm1::makeOpenDialog() {
    auto dialog = std::make_unique<QFileDialog>(this);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(dialogFilter(m_session.model.control(Control::OpenDialog1).filter));
    if (m_session.fileName.empty()) {
        dialog->setDirectory(qtPath(m_startDir));
    } else {
        const QFileInfo last(qtPath(m_session.fileName));
        dialog->setDirectory(last.absolutePath());
        dialog->selectFile(last.fileName());
    }
    return dialog;
}

void TForm1::loadCommand() {
    if (busy()) return;
    const auto dialog = makeOpenDialog();
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
    loadPaths({filePath(dialog->selectedFiles().front())});
}

void TForm1::reloadCommand() {
    if (busy() || m_session.fileName.empty()) return;
    loadPaths({m_session.fileName});
}

void TForm1::aboutCommand() { m_about->showCentred(qtText(m_session.aboutCaption())); }

void TForm1::switchLanguage() {
    if (busy()) return;
    m_session.switchLanguage();
    render();
}

void TForm1::CRCBtnClick() {
    if (busy()) return;
    startWork(Msg::CrcProgress, m_crcButton, [](Session& session) { session.computeFileCrc(); });
}

void TForm1::dropFiles(const QStringList& paths) {
    activateWindow();
    raise();
    std::vector<std::string> files;
    for (const QString& path : paths) files.push_back(filePath(path));
    loadPaths(std::move(files));
}

void TForm1::loadPaths(std::vector<std::string> paths) {
    if (busy() || paths.empty()) return;
    m_opened.clear();
    startWork(Msg::CheckingProgress, m_loadButton, [this, paths = std::move(paths)](Session& session) {
        for (const std::string& path : paths) {
            if (m_progress.cancelled) return;
            session.load(path);
            if (!session.lastOpenFailed) m_opened.push_back(path);
        }
    });
}

void TForm1::startWork(Msg progress, QPushButton* atWork, std::function<void(Session&)> job) {
    m_progress.bytesRead = 0;
    m_progress.cancelled = false;
    m_progressLabel = qtText(textOf(m_session.model, progress));
    m_atWork = atWork;
    for (QPushButton* button : {m_loadButton, m_languageButton, m_crcButton}) button->setEnabled(false);
    m_atWork->setCursor(Qt::WaitCursor);
    QThread* worker = QThread::create([this, job = std::move(job)] { job(m_session); });
    m_worker = worker;
    // Queued to this thread; a work ended by cancelWork has already been taken down.
    connect(worker, &QThread::finished, this, [this, worker] {
        if (worker == m_worker) endWork();
    });
    showProgress();
    m_progressTimer->start();
    worker->start();
}

void TForm1::showProgress() {
    const auto mebibytes = static_cast<qulonglong>(m_progress.bytesRead.load() >> 20);
    setWindowTitle(QStringLiteral("%1… %2 MiB").arg(m_progressLabel).arg(mebibytes));
}

void TForm1::endWork() {
    m_progressTimer->stop();
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    for (QPushButton* button : {m_loadButton, m_languageButton, m_crcButton}) button->setEnabled(true);
    if (m_atWork == m_crcButton) m_crcButton->setCursor(Qt::PointingHandCursor);
    else m_atWork->unsetCursor();
    if (!m_progress.cancelled) rememberRecent(m_opened);
    m_opened.clear();
    if (m_switchAfterWork) {
        m_switchAfterWork = false;
        m_session.switchLanguage();
    }
    render();
    emit workEnded();
}

void TForm1::cancelWork() {
    if (!busy()) return;
    m_progress.cancelled = true;
    endWork();
}

void TForm1::waitForWork() {
    if (!busy()) return;
    QEventLoop loop;
    connect(this, &TForm1::workEnded, &loop, &QEventLoop::quit);
    loop.exec();
}

std::string TForm1::reportText() const { return renderText(m_session, m_session.fileName, false); }

bool TForm1::saveReport(const QString& path) const {
    const bool json = path.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive);
    const std::string report = json ? renderJsonDocument(nlohmann::json::array({renderJson(m_session, m_session.fileName)}))
                                    : reportText();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const auto size = static_cast<qint64>(report.size());
    return file.write(report.data(), size) == size && file.flush();
}

void TForm1::copyReportCommand() {
    if (busy()) return;
    QGuiApplication::clipboard()->setText(qtText(reportText()));
}

void TForm1::saveReportCommand() {
    if (busy()) return;
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QFileInfo image(qtPath(m_session.fileName));
    dialog.setDirectory(m_session.fileName.empty() ? qtPath(m_startDir) : image.absolutePath());
    dialog.selectFile((m_session.fileName.empty() ? QStringLiteral("report") : image.completeBaseName()) +
                      QStringLiteral(".txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    if (!saveReport(dialog.selectedFiles().front()))
        QMessageBox::warning(this, windowTitle(), qtText(textOf(m_session.model, Msg::SaveFailed)));
}

QStringList TForm1::recentFiles() const { return recentSettings().value(kRecentKey).toStringList(); }

void TForm1::rememberRecent(const std::vector<std::string>& opened) {
    if (opened.empty()) return;
    std::vector<std::string> recent;
    for (const QString& path : recentFiles()) recent.push_back(filePath(path));
    for (const std::string& path : opened) recent = pushRecent(std::move(recent), path);
    QStringList kept;
    for (const std::string& path : recent) kept << qtPath(path);
    recentSettings().setValue(kRecentKey, kept);
}

void TForm1::showRecentMenu(const QPoint& where) {
    if (busy()) return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("RecentMenu"));
    const QStringList recent = recentFiles();
    for (const QString& path : recent)
        menu.addAction(path, this, [this, path] { loadPaths({filePath(path)}); });
    if (recent.isEmpty()) menu.addAction(qtText(textOf(m_session.model, Msg::NoRecentFiles)))->setEnabled(false);
    menu.exec(m_loadButton->mapToGlobal(where));
}

void TForm1::buildShortcuts() {
    const std::pair<QKeySequence, void (TForm1::*)()> shortcuts[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_O), &TForm1::loadCommand},
        {QKeySequence(Qt::CTRL | Qt::Key_R), &TForm1::reloadCommand},
        {QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::saveReportCommand},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &TForm1::copyReportCommand},
    };
    for (const auto& [keys, command] : shortcuts) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, command);
        addAction(action);
    }
}

void TForm1::buildContextMenus() {
    // "Copy all" after what the widget offers itself; the texts shown are what is copied.
    const auto offerCopyAll = [this](QWidget* widget, std::function<QMenu*()> base, std::function<QString()> text) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, this, [this, widget, base, text](const QPoint& at) {
            std::unique_ptr<QMenu> menu(base ? base() : new QMenu(widget));
            menu->setObjectName(QStringLiteral("CopyAllMenu"));
            if (!menu->isEmpty()) menu->addSeparator();
            menu->addAction(qtText(textOf(m_session.model, Msg::CopyAll)), this,
                            [text] { QGuiApplication::clipboard()->setText(text()); });
            menu->exec(widget->mapToGlobal(at));
        });
    };
    QLineEdit* edit = m_messageList->lineEdit();
    const auto messageText = [this] {
        QString text;
        for (int i = 0; i < m_messageList->count(); ++i) text += m_messageList->itemText(i) + QLatin1Char('\n');
        return text.isEmpty() ? m_messageList->currentText() + QLatin1Char('\n') : text;
    };
    offerCopyAll(edit, [edit] { return edit->createStandardContextMenu(); }, messageText);
    offerCopyAll(m_messageList->view(), {}, messageText);
    offerCopyAll(m_sdkList, {}, [this] { return listText(m_sdkList); });
    offerCopyAll(m_middlewareList, {}, [this] { return listText(m_middlewareList); });
    m_loadButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_loadButton, &QWidget::customContextMenuRequested, this, &TForm1::showRecentMenu);
}

void TForm1::followQtTranslation() {
    const bool japanese = m_session.model.language() == Language::Japanese;
    if (japanese == m_qtTranslated) return;
    if (!japanese) {
        QCoreApplication::removeTranslator(m_qtTranslator.get());
        m_qtTranslated = false;
        return;
    }
    if (!m_qtTranslator) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            return;  // Qt's translations are not installed: its own texts stay English
        m_qtTranslator = std::move(translator);
    }
    m_qtTranslated = QCoreApplication::installTranslator(m_qtTranslator.get());
}

void TForm1::placeOnScreen() {
    const QScreen* where = screen();
    if (!where) return;
    QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                   frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
    if (frame.isNull()) frame = QMargins(kAssumedFrame.left, kAssumedFrame.top, kAssumedFrame.right, kAssumedFrame.bottom);
    move(placeFrame(where->availableGeometry(), size().grownBy(frame), QPoint(kWindowLeft, kWindowTop)));
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The window is designed in English; its first showing turns it Japanese (once a run at work
    // has ended, so that the switch sees its result).
    if (m_shown) return;
    m_shown = true;
    placeOnScreen();
    if (busy()) m_switchAfterWork = true;
    else switchLanguage();
}

void TForm1::closeEvent(QCloseEvent* event) {
    cancelWork();
    QWidget::closeEvent(event);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !busy()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls() || busy()) return;
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) paths << url.toLocalFile();
    event->acceptProposedAction();
    dropFiles(paths);
}

}  // namespace parvex
