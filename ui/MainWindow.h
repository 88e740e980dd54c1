#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QStringList>
#include <QWidget>

#include "core/Findings.h"
#include "run/Session.h"

class QComboBox;
class QFileDialog;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QThread;
class QTimer;
class QTranslator;
class QTreeWidget;

namespace parvex {

class TfAbout;
struct ControlDesign;

// The main window: a view of the session's window model. Every command calls the core and then
// renders the whole model again. Check runs and the whole-file CRC work on a thread of their own;
// while one works the window shows its progress in the caption, refuses every command that would
// touch the session, and renders nothing of the model until it has ended.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // programDir: the program file's directory.
    // arguments: the command-line arguments after the program name, as the file system's bytes.
    // startDir: the directory the program was started from, for a relative argument.
    // sideDirs: where the side files are looked for, first to last; none means programDir alone.
    TForm1(std::string programDir, std::vector<std::string> arguments, std::string startDir,
           std::vector<std::string> sideDirs = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    Session& session() { return m_session; }
    const Session& session() const { return m_session; }
    TfAbout& aboutBox() { return *m_about; }

    // Shows every text, colour, visibility, list row and caption of the model.
    void render();

    // The Open dialog as the Load command shows it: filter of the current language, starting from
    // the last file name.
    std::unique_ptr<QFileDialog> makeOpenDialog();

    // Checks each file in the order given, then shows the last one.
    void dropFiles(const QStringList& paths);

    // True while a run or the whole-file CRC works.
    bool busy() const { return m_worker != nullptr; }
    // Handles events until no work is under way.
    void waitForWork();

    // The whole report of the current image as parvex-check prints it (no colour).
    std::string reportText() const;
    // Writes the report: the JSON document for a name ending in ".json", the text otherwise.
    bool saveReport(const QString& path) const;
    // The files opened lately, the latest first.
    QStringList recentFiles() const;
    // Whether Qt's own texts (standard dialogs, context menus) follow Japanese mode now.
    bool qtTranslated() const { return m_qtTranslated; }

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
    void renderBox(const BoxBinding& binding);
    void renderControl(const ControlBinding& binding);
    void renderMessages();
    void renderLists();
    void buildShortcuts();
    void buildContextMenus();
    void placeOnScreen();
    void followQtTranslation();

    // Runs job on the work thread; progress is the caption text while it works.
    void startWork(Msg progress, QPushButton* atWork, std::function<void(Session&)> job);
    void endWork();
    void cancelWork();
    void showProgress();
    void loadPaths(std::vector<std::string> paths);
    void rememberRecent(const std::vector<std::string>& opened);
    void showRecentMenu(const QPoint& where);

    Session m_session;
    std::string m_startDir;
    bool m_shown = false;

    std::vector<BoxBinding> m_boxes;
    std::vector<ControlBinding> m_controls;
    QComboBox* m_messageList = nullptr;
    QTreeWidget* m_sdkList = nullptr;
    QTreeWidget* m_middlewareList = nullptr;
    QPushButton* m_crcButton = nullptr;
    QPushButton* m_loadButton = nullptr;
    QPushButton* m_languageButton = nullptr;
    QMenuBar* m_menu = nullptr;

    // The work under way: its thread, what it reports, the button shown busy, and what the window
    // owes once it ends (the first showing's language switch; the files that opened).
    QThread* m_worker = nullptr;
    ReadProgress m_progress;
    QTimer* m_progressTimer = nullptr;
    QString m_progressLabel;
    QPushButton* m_atWork = nullptr;
    bool m_switchAfterWork = false;
    std::vector<std::string> m_opened;

    std::unique_ptr<QTranslator> m_qtTranslator;
    bool m_qtTranslated = false;
    // Owned here but not a child widget: it is a window of its own.
    std::unique_ptr<TfAbout> m_about;
};

}  // namespace parvex
