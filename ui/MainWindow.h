#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QStringList>
#include <QWidget>

#include "core/Findings.h"
#include "layout/Placement.h"
#include "run/Session.h"
#include "ui/Fonts.h"

class QAction;
class QComboBox;
class QFileDialog;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QTimer;
class QTranslator;
class QTreeWidget;

namespace parvex {

class TfAbout;
class Worker;
struct ControlDesign;

// The main window: a view of the session's window model. Every command calls the core and then
// renders the whole model again. Check runs and the whole-file CRC work on a thread of their own
// (ui/Worker), which holds the session meanwhile: the window shows the progress in its caption,
// refuses every command that would touch the session, and renders nothing of the model until the
// session is back.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // programDir: the program file's directory.
    // arguments: the command-line arguments after the program name, as the file system's bytes.
    // startDir: the directory the program was started from, for a relative argument.
    // sideDirs: where the side files are looked for, first to last; none means programDir alone.
    // japaneseFont: whether a Japanese face is installed; without one the window stays English.
    TForm1(std::string programDir, std::vector<std::string> arguments, std::string startDir,
           std::vector<std::string> sideDirs = {}, bool japaneseFont = japaneseFontInstalled(),
           QWidget* parent = nullptr);
    ~TForm1() override;

    // The session; not to be reached while work is under way (the worker holds it then).
    Session& session();
    const Session& session() const;
    TfAbout& aboutBox() { return *m_about; }

    // Shows every text, colour, visibility, list row and caption of the model.
    void render();

    // The Open dialog as the Load command shows it: filter of the current language, starting from
    // the last file name (before the first image, in the folder of the latest recent file).
    std::unique_ptr<QFileDialog> makeOpenDialog();
    // The Save dialog: text or JSON, starting in the folder of the last save.
    std::unique_ptr<QFileDialog> makeSaveDialog();

    // Checks each file in the order given, then shows the last one.
    void dropFiles(const QStringList& paths);

    // True while a run or the whole-file CRC works.
    bool busy() const;
    // Handles events until no work is under way.
    void waitForWork();

    // The whole report of the current image as parvex-check prints it (no colour).
    std::string reportText() const;
    // Writes the report: the JSON document for a name ending in ".json", the text otherwise. On
    // failure reason says why, in the system's words.
    bool saveReport(const QString& path, QString* reason = nullptr) const;
    // Saves as the Save command does once its dialog is confirmed; a failure is shown with the
    // path and the reason.
    void saveReportTo(const QString& path);
    // The files opened lately, the latest first.
    QStringList recentFiles() const;
    // Whether Qt's own texts (standard dialogs, context menus) follow Japanese mode now.
    bool qtTranslated() const { return m_qtTranslated; }
    // Whether the form sits in a scroll area because the screen is smaller than the design.
    bool scrolls() const { return m_scrolls; }

signals:
    // Emitted on the GUI thread when a run or CRC has ended and the model is shown again.
    void workEnded();

public slots:
    void loadCommand();
    void aboutCommand();
    void switchLanguage();
    void CRCBtnClick();
    void reloadCommand();
    void copyReportCommand();
    void saveReportCommand();

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    struct BoxBinding {
        QLineEdit* edit;
        Field field;
    };
    // How a label follows its caption's width.
    enum class Fit { Fixed, KeepLeftEdge, KeepRightEdge };
    struct ControlBinding {
        QWidget* widget;
        Control control;
        Fit fit;
    };

    void buildForm();
    void buildMenu();
    QWidget* createControl(const ControlDesign& design, QWidget* parent);
    void buildTabOrder();
    void renderModel(const WindowModel& model);
    void renderBox(const WindowModel& model, const BoxBinding& binding);
    void renderControl(const WindowModel& model, const ControlBinding& binding);
    void renderMessages(const WindowModel& model);
    void renderLists(const WindowModel& model);
    void updateCommands();
    void buildShortcuts();
    void buildContextMenus();
    void addCommandEntries(QMenu* menu);
    void placeOnScreen();
    std::optional<FrameMargins> knownFrame() const;
    void followFrame();
    void followFocus(QWidget* now);
    void followQtTranslation(Language language);
    void firstShowing();
    QString shownText(Msg m) const;

    // Hands the session to the worker for job; progress names the work in the caption, total is the
    // bytes it is expected to read, afterwards runs once the session is back (unless cancelled).
    void startWork(Msg progress, QPushButton* atWork, std::uint64_t total, std::function<void(Session&)> job,
                   std::function<void()> afterwards = {});
    void endWork(std::unique_ptr<Session> session, bool cancelled, const std::function<void()>& afterwards);
    void cancelWork();
    void showProgress();
    void loadPaths(std::vector<std::string> paths);
    void rememberRecent(const std::vector<std::string>& opened);
    void showRecentMenu(const QPoint& where);

    std::unique_ptr<Session> m_session;
    std::string m_startDir;
    bool m_japaneseFont;
    bool m_shown = false;
    bool m_firstShowingDone = false;
    // The language the widgets show, which is the model's except during the first check.
    Language m_shownLanguage = Language::English;

    QScrollArea* m_scroll = nullptr;
    QWidget* m_canvas = nullptr;
    QWidget* m_focusFrame = nullptr;
    QMetaObject::Connection m_focusWatch;
    bool m_scrolls = false;
    QTimer* m_frameTimer = nullptr;
    FrameMargins m_placedFrame{};
    int m_frameChecks = 0;
    bool m_frameSettled = false;

    std::vector<BoxBinding> m_boxes;
    std::vector<ControlBinding> m_controls;
    QComboBox* m_messageList = nullptr;
    QTreeWidget* m_sdkList = nullptr;
    QTreeWidget* m_middlewareList = nullptr;
    QPushButton* m_crcButton = nullptr;
    QPushButton* m_loadButton = nullptr;
    QPushButton* m_languageButton = nullptr;
    QMenuBar* m_menu = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_reloadAction = nullptr;
    QAction* m_copyAction = nullptr;
    QAction* m_saveAction = nullptr;

    // The work under way: what it reports and the button shown busy.
    QTimer* m_progressTimer = nullptr;
    QString m_progressLabel;
    std::uint64_t m_progressTotal = 0;
    QPushButton* m_atWork = nullptr;

    std::unique_ptr<QTranslator> m_qtTranslator;
    bool m_qtTranslated = false;
    // Owned here but not a child widget: it is a window of its own.
    std::unique_ptr<TfAbout> m_about;
    // Last, so that it is taken down first: it waits for a job still at work.
    std::unique_ptr<Worker> m_worker;
};

}  // namespace parvex
