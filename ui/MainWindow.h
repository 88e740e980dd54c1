#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "run/Session.h"

class QComboBox;
class QFileDialog;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QTreeWidget;

namespace parvex {

class TfAbout;
struct ControlDesign;

// The main window: a view of the session's window model. Every command calls the core and then
// renders the whole model again.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // programDir: where the side files are looked for (the program file's directory).
    // arguments: the command-line arguments after the program name, as the file system's bytes.
    // startDir: the directory the program was started from, for a relative argument.
    TForm1(std::string programDir, std::vector<std::string> arguments, std::string startDir,
           QWidget* parent = nullptr);
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

public slots:
    void loadCommand();
    void aboutCommand();
    void switchLanguage();
    void CRCBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

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

    Session m_session;
    std::string m_startDir;
    bool m_shown = false;

    std::vector<BoxBinding> m_boxes;
    std::vector<ControlBinding> m_controls;
    QComboBox* m_messageList = nullptr;
    QTreeWidget* m_sdkList = nullptr;
    QTreeWidget* m_middlewareList = nullptr;
    QPushButton* m_crcButton = nullptr;
    QMenuBar* m_menu = nullptr;
    // Owned here but not a child widget: it is a window of its own.
    std::unique_ptr<TfAbout> m_about;
};

}  // namespace parvex
