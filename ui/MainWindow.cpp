#include "ui/MainWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include "layout/FormDesign.h"
#include "layout/Placement.h"
#include "layout/StartupPath.h"
#include "report/Report.h"
#include "ui/AboutBox.h"
#include "ui/Fonts.h"
#include "ui/QtConvert.h"
#include "ui/Worker.h"

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

// Where the recent files and the last save folder are kept between sessions.
QSettings userSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("parvex"), QStringLiteral("parvex"));
}

const QString kRecentKey = QStringLiteral("recentFiles");
const QString kSaveDirKey = QStringLiteral("lastSaveFolder");
// Characters of a recent path shown in the menu; the whole path is the entry's tooltip.
constexpr std::size_t kRecentMenuChars = 60;

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

// A value box that draws a text too long for it cut in the middle with "…" and offers the whole
// text as its tooltip; its text itself stays whole, and while it has the focus it draws as usual so
// that the text can be selected and copied.
class ElidingLineEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

    bool elided() const { return fontMetrics().horizontalAdvance(text()) > textRect().width(); }

protected:
    void paintEvent(QPaintEvent* event) override {
        if (hasFocus() || !elided()) {
            QLineEdit::paintEvent(event);
            return;
        }
        QPainter painter(this);
        QStyleOptionFrame option;
        initStyleOption(&option);
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
        const QRect room = textRect();
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideMiddle, room.width()));
    }

    bool event(QEvent* event) override {
        // The tooltip is decided when asked for, so it follows every text and size.
        if (event->type() == QEvent::ToolTip) setToolTip(elided() ? text() : QString());
        return QLineEdit::event(event);
    }

private:
    QRect textRect() const {
        QStyleOptionFrame option;
        initStyleOption(&option);
        // QLineEdit keeps two pixels of its own on either side of the text.
        return style()
            ->subElementRect(QStyle::SE_LineEditContents, &option, this)
            .marginsRemoved(textMargins())
            .adjusted(2, 0, -2, 0);
    }
};

// A frame drawn around the control that has the keyboard focus, thicker than the style's own.
class FocusFrame : public QWidget {
public:
    explicit FocusFrame(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("FocusFrame"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), kWidth));
        painter.drawRect(QRectF(rect()).adjusted(kWidth / 2.0, kWidth / 2.0, -kWidth / 2.0, -kWidth / 2.0));
    }

public:
    static constexpr int kWidth = 2;
};

}  // namespace

TForm1::TForm1(std::string programDir, std::vector<std::string> arguments, std::string startDir,
               std::vector<std::string> sideDirs, bool japaneseFont, QWidget* parent)
    : QWidget(parent),
      m_session(std::make_unique<Session>(std::move(programDir), std::move(sideDirs))),
      m_startDir(std::move(startDir)),
      m_japaneseFont(japaneseFont),
      m_worker(std::make_unique<Worker>()) {
    initResources();
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(kClientWidth, kClientHeight);
    move(kWindowLeft, kWindowTop);
    setFont(designFont(kFontPixels, FontPitch::Proportional));

    // The form is a canvas of the design's size in a scroll area that shows no frame and, while the
    // window has the design's size, no scroll bar either.
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("FormScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_canvas = new QWidget;
    m_canvas->setObjectName(QStringLiteral("FormCanvas"));
    m_canvas->setFixedSize(kClientWidth, kClientHeight);
    m_scroll->setWidget(m_canvas);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);

    buildForm();
    buildMenu();
    buildShortcuts();
    buildContextMenus();
    buildTabOrder();
    m_focusFrame = new FocusFrame(m_canvas);
    m_focusWatch =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { followFocus(now); });

    m_about = std::make_unique<TfAbout>();
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(100);
    connect(m_progressTimer, &QTimer::timeout, this, &TForm1::showProgress);
    m_frameTimer = new QTimer(this);
    m_frameTimer->setInterval(50);
    connect(m_frameTimer, &QTimer::timeout, this, &TForm1::followFrame);

    if (!m_japaneseFont) std::fprintf(stderr, "parvex: %s\n", firstCopy(Msg::NoJapaneseFont, Language::English));
    render();
    // The argument is checked before the first showing, so that showing re-runs it in Japanese;
    // the window shows at once, already in the language it starts in, and its first switch waits
    // for the run.
    if (!arguments.empty()) {
        if (m_japaneseFont) {
            Session preview = *m_session;
            preview.switchLanguage();
            renderModel(preview.model);
        }
        loadPaths({resolveStartupPath(arguments.front(), m_startDir, m_session->state.Program_Dir)});
    }
    setAcceptDrops(true);
}

// The focus moves while the base class destroys the children: by then this is no TForm1 to follow it.
TForm1::~TForm1() { disconnect(m_focusWatch); }

Session& TForm1::session() {
    Q_ASSERT(m_session);
    return *m_session;
}

const Session& TForm1::session() const {
    Q_ASSERT(m_session);
    return *m_session;
}

bool TForm1::busy() const { return m_worker->busy(); }

QString TForm1::shownText(Msg m) const { return qtText(firstCopy(m, m_shownLanguage)); }

void TForm1::buildForm() {
    std::vector<QWidget*> parents(groupDesigns().size() + 1, nullptr);
    parents[static_cast<std::size_t>(Group::Window)] = m_canvas;
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
        {Control::LoadBtn, &TForm1::loadCommand},
        {Control::VersionBtn, &TForm1::aboutCommand},
        {Control::LBtn, &TForm1::switchLanguage},
        {Control::CRCBtn, &TForm1::CRCBtnClick},
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
            auto* edit = *d.field == Field::File_Name ? new ElidingLineEdit(parent) : new QLineEdit(parent);
            // Read-only boxes still select and copy; only the design's editable ones take typing.
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
                    // While a run works the session is the worker's; the run's result replaces the text.
                    if (m_session) m_session->model.setText(field, text.toStdString());
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
            const Fit fit = d.place.width == 0               ? Fit::KeepLeftEdge
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

void TForm1::buildTabOrder() {
    // The commands first, in reading order, then the boxes as the design lists them.
    std::vector<QWidget*> order{m_messageList, m_loadButton, m_languageButton, m_crcButton};
    for (const Control c : {Control::VersionBtn, Control::BitBtn4})
        for (const ControlBinding& b : m_controls)
            if (b.control == c) order.push_back(b.widget);
    for (const BoxBinding& b : m_boxes) order.push_back(b.edit);
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void TForm1::render() {
    // The worker holds the session while work is under way; the window shows it once it is back.
    if (!m_session) return;
    renderModel(m_session->model);
    updateCommands();
}

void TForm1::renderModel(const WindowModel& model) {
    m_shownLanguage = model.language();
    followQtTranslation(model.language());
    for (const BoxBinding& b : m_boxes) renderBox(model, b);
    for (const ControlBinding& b : m_controls) renderControl(model, b);
    renderMessages(model);
    renderLists(model);
    setWindowTitle(qtText(model.caption));
}

void TForm1::renderBox(const WindowModel& model, const BoxBinding& b) {
    const DisplayField& field = model.field(b.field);
    const QString text = qtText(field.text);
    if (b.edit->text() != text) {
        b.edit->setText(text);
        b.edit->setCursorPosition(0);
    }
    setTextColour(b.edit, qtColour(field.colour));
    b.edit->setHidden(!field.visible);
}

void TForm1::renderControl(const WindowModel& model, const ControlBinding& b) {
    const ControlTexts& texts = model.control(b.control);
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
        case ControlKind::Dialog: break;
    }
}

void TForm1::renderMessages(const WindowModel& model) {
    const MessageList& list = model.messages;
    QStringList lines;
    for (const MessageLine& line : list.lines) lines << qtText(line.text);
    QStringList shown;
    for (int i = 0; i < m_messageList->count(); ++i) shown << m_messageList->itemText(i);
    if (shown != lines) {
        m_messageList->clear();
        m_messageList->addItems(lines);
        QAbstractItemView* view = m_messageList->view();
        const int longest = lines.isEmpty() ? 0 : view->sizeHintForColumn(0);
        // The line, the view's frame and a vertical scroll bar, should the list be long.
        const int needed = longest + 2 * view->frameWidth() + view->verticalScrollBar()->sizeHint().width();
        view->setMinimumWidth(std::max(m_messageList->width(), needed));
    }
    // Each line is its own tooltip; a line saying a file could not be opened also names the file.
    const QString failed = m_session && !m_session->fileName.empty() ? qtPath(m_session->fileName) : QString();
    const QStringList openFailures{qtText(secondCopy(Msg::OpenFailed, model.language())),
                                   qtText(secondCopy(Msg::CrcOpenFailed, model.language()))};
    for (int i = 0; i < lines.size(); ++i) {
        const bool namesFile = !failed.isEmpty() && openFailures.contains(lines[i]);
        m_messageList->setItemData(i, namesFile ? lines[i] + QLatin1Char('\n') + failed : lines[i], Qt::ToolTipRole);
    }
    m_messageList->setEditText(qtText(list.text));
    m_messageList->lineEdit()->setCursorPosition(0);
    const QColor colour = qtColour(list.colour);
    setTextColour(m_messageList, colour);
    setTextColour(m_messageList->lineEdit(), colour);
    setTextColour(m_messageList->view(), colour);
}

void TForm1::renderLists(const WindowModel& model) {
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

void TForm1::updateCommands() {
    const bool free = !busy();
    const bool image = m_session && !m_session->fileName.empty();
    m_openAction->setEnabled(free);
    m_reloadAction->setEnabled(free && image);
    // With no image there is no report to take away.
    m_copyAction->setEnabled(free && image);
    m_saveAction->setEnabled(free && image);
}

std::unique_ptr<QFileDialog> TForm1::makeOpenDialog() {
    auto dialog = std::make_unique<QFileDialog>(this);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(dialogFilter(m_session->model.control(Control::OpenDialog1).filter));
    if (m_session->fileName.empty()) {
        // Before the first image of a session: where the latest one was, while that folder is there.
        const QStringList recent = recentFiles();
        const QFileInfo latest(recent.isEmpty() ? QString() : recent.front());
        const bool there = !recent.isEmpty() && latest.absoluteDir().exists();
        dialog->setDirectory(there ? latest.absolutePath() : qtPath(m_startDir));
    } else {
        const QFileInfo last(qtPath(m_session->fileName));
        dialog->setDirectory(last.absolutePath());
        dialog->selectFile(last.fileName());
    }
    return dialog;
}

std::unique_ptr<QFileDialog> TForm1::makeSaveDialog() {
    auto dialog = std::make_unique<QFileDialog>(this);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    const QString text = shownText(Msg::TextReportFilter);
    const QString json = shownText(Msg::JsonReportFilter);
    dialog->setNameFilters({text, json});
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    connect(dialog.get(), &QFileDialog::filterSelected, dialog.get(), [d = dialog.get(), json](const QString& f) {
        d->setDefaultSuffix(f == json ? QStringLiteral("json") : QStringLiteral("txt"));
    });
    const QFileInfo image(qtPath(m_session->fileName));
    const QString lastSave = userSettings().value(kSaveDirKey).toString();
    QString folder = qtPath(m_startDir);
    if (!lastSave.isEmpty() && QFileInfo(lastSave).isDir()) folder = lastSave;
    else if (!m_session->fileName.empty()) folder = image.absolutePath();
    dialog->setDirectory(folder);
    dialog->selectFile((m_session->fileName.empty() ? QStringLiteral("report") : image.completeBaseName()) +
                       QStringLiteral(".txt"));
    return dialog;
}

void TForm1::loadCommand() {
    if (busy()) return;
    const auto dialog = makeOpenDialog();
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
    loadPaths({filePath(dialog->selectedFiles().front())});
}

void TForm1::reloadCommand() {
    if (busy() || m_session->fileName.empty()) return;
    loadPaths({m_session->fileName});
}

// The box's caption follows the Version button as shown, which is the model's but for the first check.
void TForm1::aboutCommand() { m_about->showCentred(shownText(Msg::AboutCaption)); }

void TForm1::switchLanguage() {
    if (busy()) return;
    m_session->switchLanguage();
    render();
}

void TForm1::CRCBtnClick() {
    if (busy()) return;
    const std::uint64_t size = static_cast<std::uint64_t>(QFileInfo(qtPath(m_session->fileName)).size());
    startWork(Msg::CrcProgress, m_crcButton, size, [](Session& session) { session.computeFileCrc(); });
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
    std::uint64_t total = 0;
    for (const std::string& path : paths) total += static_cast<std::uint64_t>(QFileInfo(qtPath(path)).size());
    // Filled on the work thread, read on the GUI thread once the work has ended.
    auto opened = std::make_shared<std::vector<std::string>>();
    startWork(
        Msg::CheckingProgress, m_loadButton, total,
        [paths = std::move(paths), opened](Session& session) {
            for (const std::string& path : paths) {
                if (session.progress && session.progress->cancelled) return;
                session.load(path);
                if (!session.lastOpenFailed) opened->push_back(path);
            }
        },
        [this, opened] { rememberRecent(*opened); });
}

void TForm1::startWork(Msg progress, QPushButton* atWork, std::uint64_t total, std::function<void(Session&)> job,
                       std::function<void()> afterwards) {
    m_progressLabel = shownText(progress);
    m_progressTotal = total;
    m_atWork = atWork;
    for (QPushButton* button : {m_loadButton, m_languageButton, m_crcButton}) button->setEnabled(false);
    m_atWork->setCursor(Qt::WaitCursor);
    m_worker->start(std::move(m_session), std::move(job),
                    [this, afterwards = std::move(afterwards)](std::unique_ptr<Session> session, bool cancelled) {
                        endWork(std::move(session), cancelled, afterwards);
                    });
    updateCommands();
    showProgress();
    m_progressTimer->start();
}

void TForm1::showProgress() {
    const std::uint64_t read = m_worker->bytesRead();
    if (m_progressTotal == 0) {
        setWindowTitle(QStringLiteral("%1… %2 MiB").arg(m_progressLabel).arg(static_cast<qulonglong>(read >> 20)));
        return;
    }
    // The run reads a few regions beside its pass, so the count may pass the size a little.
    const std::uint64_t done = std::min(read, m_progressTotal);
    setWindowTitle(QStringLiteral("%1… %2 / %3 MiB (%4 %)")
                       .arg(m_progressLabel)
                       .arg(static_cast<qulonglong>(done >> 20))
                       .arg(static_cast<qulonglong>(m_progressTotal >> 20))
                       .arg(static_cast<qulonglong>(done * 100 / m_progressTotal)));
}

void TForm1::endWork(std::unique_ptr<Session> session, bool cancelled, const std::function<void()>& afterwards) {
    m_session = std::move(session);
    m_progressTimer->stop();
    for (QPushButton* button : {m_loadButton, m_languageButton, m_crcButton}) button->setEnabled(true);
    if (m_atWork == m_crcButton) m_crcButton->setCursor(Qt::PointingHandCursor);
    else m_atWork->unsetCursor();
    if (!cancelled && afterwards) afterwards();
    if (m_shown && !m_firstShowingDone) firstShowing();
    render();
    emit workEnded();
}

void TForm1::cancelWork() { m_worker->cancel(); }

void TForm1::waitForWork() {
    if (!busy()) return;
    QEventLoop loop;
    connect(this, &TForm1::workEnded, &loop, &QEventLoop::quit);
    loop.exec();
}

std::string TForm1::reportText() const { return renderText(*m_session, m_session->fileName, false); }

bool TForm1::saveReport(const QString& path, QString* reason) const {
    const bool json = path.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive);
    const std::string report =
        json ? renderJsonDocument(nlohmann::json::array({renderJson(*m_session, m_session->fileName)}))
             : reportText();
    QFile file(path);
    const auto size = static_cast<qint64>(report.size());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(report.data(), size) == size &&
        file.flush())
        return true;
    if (reason) *reason = file.errorString();
    return false;
}

void TForm1::saveReportTo(const QString& path) {
    QString reason;
    if (saveReport(path, &reason)) {
        userSettings().setValue(kSaveDirKey, QFileInfo(path).absolutePath());
        return;
    }
    QMessageBox::warning(this, windowTitle(),
                         shownText(Msg::SaveFailedAt).arg(QDir::toNativeSeparators(path), reason));
}

void TForm1::copyReportCommand() {
    if (busy() || m_session->fileName.empty()) return;
    QGuiApplication::clipboard()->setText(qtText(reportText()));
}

void TForm1::saveReportCommand() {
    if (busy() || m_session->fileName.empty()) return;
    const auto dialog = makeSaveDialog();
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
    saveReportTo(dialog->selectedFiles().front());
}

QStringList TForm1::recentFiles() const { return userSettings().value(kRecentKey).toStringList(); }

void TForm1::rememberRecent(const std::vector<std::string>& opened) {
    if (opened.empty()) return;
    std::vector<std::string> recent;
    for (const QString& path : recentFiles()) recent.push_back(filePath(path));
    for (const std::string& path : opened) recent = pushRecent(std::move(recent), path);
    QStringList kept;
    for (const std::string& path : recent) kept << qtPath(path);
    userSettings().setValue(kRecentKey, kept);
}

void TForm1::showRecentMenu(const QPoint& where) {
    if (busy()) return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("RecentMenu"));
    menu.setToolTipsVisible(true);
    const QStringList recent = recentFiles();
    for (const QString& path : recent) {
        QString text = qtText(shortenPathMiddle(path.toStdString(), kRecentMenuChars));
        if (!QFileInfo::exists(path)) text += QLatin1Char(' ') + shownText(Msg::RecentFileMissing);
        QAction* entry = menu.addAction(text, this, [this, path] { loadPaths({filePath(path)}); });
        entry->setToolTip(path);
    }
    if (recent.isEmpty()) {
        menu.addAction(shownText(Msg::NoRecentFiles))->setEnabled(false);
    } else {
        menu.addSeparator();
        menu.addAction(shownText(Msg::ClearRecentFiles), this, [] { userSettings().remove(kRecentKey); });
    }
    addCommandEntries(&menu);
    menu.exec(m_loadButton->mapToGlobal(where));
}

void TForm1::buildShortcuts() {
    const auto add = [this](const QKeySequence& keys, void (TForm1::*command)()) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, command);
        addAction(action);
        return action;
    };
    m_openAction = add(QKeySequence(Qt::CTRL | Qt::Key_O), &TForm1::loadCommand);
    m_reloadAction = add(QKeySequence(Qt::CTRL | Qt::Key_R), &TForm1::reloadCommand);
    m_saveAction = add(QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::saveReportCommand);
    m_copyAction = add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &TForm1::copyReportCommand);
}

void TForm1::addCommandEntries(QMenu* menu) {
    // Each command named with its keys; the design's own captions stay as they are.
    const std::pair<Msg, QAction*> entries[] = {
        {Msg::OpenCommand, m_openAction},
        {Msg::CheckAgainCommand, m_reloadAction},
        {Msg::CopyReportCommand, m_copyAction},
        {Msg::SaveReportCommand, m_saveAction},
    };
    if (!menu->isEmpty()) menu->addSeparator();
    for (const auto& [text, command] : entries) {
        QAction* entry = menu->addAction(shownText(text) + QLatin1Char('\t') +
                                         command->shortcut().toString(QKeySequence::PortableText));
        entry->setEnabled(command->isEnabled());
        connect(entry, &QAction::triggered, command, &QAction::trigger, Qt::QueuedConnection);
    }
}

void TForm1::buildContextMenus() {
    // "Copy all" after what the widget offers itself, then the window's commands with their keys;
    // the texts shown are what is copied.
    const auto offerMenu = [this](QWidget* widget, const std::function<QMenu*()>& base,
                                  const std::function<QString()>& text) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, this, [this, widget, base, text](const QPoint& at) {
            std::unique_ptr<QMenu> menu(base ? base() : new QMenu(widget));
            menu->setObjectName(QStringLiteral("CopyAllMenu"));
            if (text) {
                if (!menu->isEmpty()) menu->addSeparator();
                menu->addAction(shownText(Msg::CopyAll), this,
                                [text] { QGuiApplication::clipboard()->setText(text()); });
            }
            addCommandEntries(menu.get());
            menu->exec(widget->mapToGlobal(at));
        });
    };
    QLineEdit* edit = m_messageList->lineEdit();
    const auto messageText = [this] {
        QString text;
        for (int i = 0; i < m_messageList->count(); ++i) text += m_messageList->itemText(i) + QLatin1Char('\n');
        return text.isEmpty() ? m_messageList->currentText() + QLatin1Char('\n') : text;
    };
    offerMenu(
        edit, [edit] { return edit->createStandardContextMenu(); }, messageText);
    offerMenu(m_messageList->view(), {}, messageText);
    offerMenu(m_sdkList, {}, [this] { return listText(m_sdkList); });
    offerMenu(m_middlewareList, {}, [this] { return listText(m_middlewareList); });
    for (const BoxBinding& b : m_boxes) {
        QLineEdit* box = b.edit;
        offerMenu(box, [box] { return box->createStandardContextMenu(); }, {});
    }
    offerMenu(m_canvas, {}, {});
    m_loadButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_loadButton, &QWidget::customContextMenuRequested, this, &TForm1::showRecentMenu);
}

void TForm1::followQtTranslation(Language language) {
    const bool japanese = language == Language::Japanese;
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

void TForm1::followFocus(QWidget* now) {
    QWidget* target = now;
    if (target && qobject_cast<QComboBox*>(target->parentWidget())) target = target->parentWidget();
    if (!target || !m_canvas->isAncestorOf(target) || !target->isVisible()) {
        m_focusFrame->hide();
        return;
    }
    const int w = FocusFrame::kWidth;
    m_focusFrame->setGeometry(QRect(target->mapTo(m_canvas, QPoint(0, 0)), target->size()).adjusted(-w, -w, w, w));
    m_focusFrame->raise();
    m_focusFrame->show();
}

std::optional<FrameMargins> TForm1::knownFrame() const {
    // Asked of the window itself: the widget keeps what it learnt first until the window moves.
    const QWindow* window = windowHandle();
    if (!window) return std::nullopt;
    const QMargins m = window->frameMargins();
    const FrameMargins frame{m.left(), m.top(), m.right(), m.bottom()};
    // Until the window manager has framed the window there is no frame, and for a moment after a
    // resize the two rectangles disagree.
    const bool none = !frame.left && !frame.top && !frame.right && !frame.bottom;
    const bool negative = frame.left < 0 || frame.top < 0 || frame.right < 0 || frame.bottom < 0;
    if (none || negative) return std::nullopt;
    // At a fractional scale the margins come rounded to whole logical pixels: one more on each
    // side keeps the frame inside.
    const qreal ratio = devicePixelRatioF();
    if (ratio != std::floor(ratio))
        return FrameMargins{frame.left + 1, frame.top + 1, frame.right + 1, frame.bottom + 1};
    return frame;
}

void TForm1::placeOnScreen() {
    const QScreen* where = screen();
    if (!where) return;
    // An unknown frame is assumed generous; followFrame places again once it is known.
    const FrameMargins frame = knownFrame().value_or(kAssumedFrame);
    m_placedFrame = frame;
    const QRect a = where->availableGeometry();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    const WindowPlacement p = placeWindow({a.left(), a.top(), a.width(), a.height()}, frame, kClientWidth,
                                          kClientHeight, {kWindowLeft, kWindowTop}, bar);
    m_scrolls = p.scrolls;
    if (p.scrolls) {
        // Smaller than the design: the window can be resized up to the design (and its scroll bars).
        setMinimumSize(160, 120);
        setMaximumSize(kClientWidth + bar, kClientHeight + bar);
    } else {
        setFixedSize(kClientWidth, kClientHeight);
    }
    // The client's place, not the frame's: where the frame is not known yet, the window system
    // would put the frame's corner at a place meant for the client, and the title bar off screen.
    setGeometry(p.frame.x + frame.left, p.frame.y + frame.top, p.clientWidth, p.clientHeight);
}

void TForm1::followFrame() {
    // After the first showing, once the window manager has framed the window: placed again with
    // that frame, once. A frame that never comes leaves the window where the assumed one put it.
    if (!m_shown || m_frameSettled) return;
    if (++m_frameChecks > 100) m_frameTimer->stop();
    const std::optional<FrameMargins> frame = knownFrame();
    if (!frame) return;
    m_frameSettled = true;
    m_frameTimer->stop();
    const FrameMargins& was = m_placedFrame;
    if (frame->left != was.left || frame->top != was.top || frame->right != was.right || frame->bottom != was.bottom)
        placeOnScreen();
}

void TForm1::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    followFrame();
}

void TForm1::firstShowing() {
    // The window is designed in English; its first showing turns it Japanese when it can show
    // Japanese, and says why not otherwise.
    m_firstShowingDone = true;
    if (m_japaneseFont) m_session->switchLanguage();
    else addFinding(m_session->model, Msg::NoJapaneseFont);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    placeOnScreen();
    m_frameTimer->start();
    // A run at work finishes first, so that the switch sees its result.
    if (busy()) return;
    firstShowing();
    render();
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
