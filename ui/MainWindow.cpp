#include "ui/MainWindow.h"

#include <algorithm>
#include <utility>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>

#include "ui/AboutBox.h"
#include "ui/Fonts.h"
#include "ui/FormDesign.h"
#include "ui/QtConvert.h"
#include "ui/StartupPath.h"

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

// The busy cursor while a command works, restored however the command ends.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QIcon picture(const char* name) { return QIcon(QStringLiteral(":/images/%1.xpm").arg(QLatin1String(name))); }

}  // namespace

TForm1::TForm1(std::string programDir, std::vector<std::string> arguments, std::string startDir,
               QWidget* parent)
    : QWidget(parent), m_session(std::move(programDir)), m_startDir(std::move(startDir)) {
    initResources();
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(kClientWidth, kClientHeight);
    move(kWindowLeft, kWindowTop);
    setFont(designFont(kFontPixels, FontPitch::Proportional));
    buildForm();
    buildMenu();
    m_about = std::make_unique<TfAbout>();

    // The argument is checked before the first showing, so that showing re-runs it in Japanese.
    if (!arguments.empty())
        m_session.load(resolveStartupPath(arguments.front(), m_startDir, m_session.state.Program_Dir));
    render();
    setAcceptDrops(true);
}

TForm1::~TForm1() = default;

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
                connect(edit, &QLineEdit::textEdited, this,
                        [this, field](const QString& text) { m_session.model.setText(field, text.toStdString()); });
            return edit;
        }
        case Look::MessageList: {
            m_messageList = new QComboBox(parent);
            m_messageList->setEditable(true);
            m_messageList->setInsertPolicy(QComboBox::NoInsert);
            m_messageList->setAcceptDrops(false);
            m_messageList->lineEdit()->setAcceptDrops(false);
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
        if (const auto colour = middlewareRowColour(model, row))
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
    const auto dialog = makeOpenDialog();
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
    m_session.load(filePath(dialog->selectedFiles().front()));
    render();
}

void TForm1::aboutCommand() { m_about->showCentred(qtText(m_session.aboutCaption())); }

void TForm1::switchLanguage() {
    m_session.switchLanguage();
    render();
}

void TForm1::CRCBtnClick() {
    {
        BusyCursor busy;
        m_crcButton->setEnabled(false);
        m_session.computeFileCrc();
        m_crcButton->setEnabled(true);
    }
    render();
}

void TForm1::dropFiles(const QStringList& paths) {
    activateWindow();
    raise();
    {
        BusyCursor busy;
        for (const QString& path : paths) m_session.load(filePath(path));
    }
    render();
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The window is designed in English; its first showing turns it Japanese.
    if (m_shown) return;
    m_shown = true;
    switchLanguage();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) paths << url.toLocalFile();
    event->acceptProposedAction();
    dropFiles(paths);
}

}  // namespace parvex
