#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/Findings.h"
#include "layout/FormDesign.h"
#include "run/Session.h"
#include "win/Fonts.h"
#include "win/RecentFiles.h"

namespace parvex {

// Stable control IDs, for scripts and tests that find a control from outside (GetDlgItem): a
// captioned control is kControlIdBase plus its row in the control table, a value box kFieldIdBase
// plus its row in the field table.
inline constexpr int kControlIdBase = 1000;
inline constexpr int kFieldIdBase = 2000;
inline constexpr int kGroupIdBase = 3000;

// Commands that are not a button of the window: the keyboard's and the context menus'.
enum Command : int {
    kReloadCommand = 100,       // Ctrl+R
    kSaveReportCommand,         // Ctrl+S
    kCopyReportCommand,         // Ctrl+Shift+C
    kCopyMessagesCommand,       // "Copy all" on the message list
    kCopySdkCommand,            // "Copy all" on the SDK list
    kCopyMiddlewareCommand,     // "Copy all" on the middleware list
    kRecentFirstCommand = 200,  // the recent-files menu, latest first
};

inline constexpr wchar_t kMainWindowClass[] = L"ParvexMainWindow";

struct WindowOptions {
    std::string programDir;              // where the side files are looked for
    std::string startDir;                // where the program was started, for a relative argument
    std::vector<std::string> arguments;  // after the program name, UTF-8
    std::wstring settingsFile = defaultSettingsFile();
    bool quitOnClose = true;  // a program ends its loop; a test keeps it
};

// The main window, a view of the session's window model. Every command calls the session and then
// renders the whole model again. Check runs and the whole-file CRC work on a thread of their own;
// while one works the caption shows its progress, every command that would touch the session is
// refused, and nothing of the model is read until it has ended.
class MainWindow {
public:
    explicit MainWindow(WindowOptions options);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }
    // The first showing turns the window Japanese (once a run under way has ended).
    void show(int showCommand);
    // The window's keyboard commands; true when msg was one of them.
    bool translateAccelerator(MSG& msg);

    Session& session() { return m_session; }
    bool busy() const { return m_worker.joinable(); }
    // Handles this thread's messages until no work is under way.
    void waitForWork();

    HWND controlWindow(Control c) const;
    HWND boxWindow(Field f) const;
    HWND tooltipWindow() const { return m_tooltip; }

    // The whole report of the current image as parvex-check prints it (no colour).
    std::string reportText() const;
    // Writes the JSON document for a name ending in ".json", the text report otherwise.
    bool saveReport(const std::wstring& path) const;

private:
    struct Binding {
        HWND hwnd;
        const ControlDesign* design;
        std::optional<Field> field;
        std::optional<Control> control;
        // What the last render left, read while painting (the model may be at work then).
        COLORREF textColour;
        std::wstring hint;
    };

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void createTooltips();
    void placeControls();
    void placeWindow();
    void applyFonts();
    void setPictures();

    void render();
    void renderBinding(Binding& b);
    void renderMessages();
    void renderLists();
    void fitDropDown();
    void fitLabel(const Binding& b);

    void onCommand(int id, int code, HWND from);
    LRESULT onNotify(const NMHDR& header, LPARAM lParam);
    LRESULT onCtlColour(HDC dc, HWND control);
    void onDropFiles(HDROP drop);
    void onContextMenu(HWND control, POINT at);
    void onDpiChanged(int dpi, const RECT& suggested);
    void onWorkEnded();
    void onClose();

    void loadCommand();
    void reloadCommand();
    void switchLanguage();
    void crcCommand();
    void aboutCommand();
    void copyReportCommand();
    void saveReportCommand();
    void copyAll(int command);
    void showRecentMenu(POINT at);

    void loadPaths(std::vector<std::string> paths);
    void startWork(Msg progress, std::function<void(Session&)> job);
    void cancelWork();
    void showProgress();
    std::wstring text(Msg m) const;

    Session m_session;
    WindowOptions m_options;
    RecentFiles m_recent;
    HWND m_hwnd = nullptr;
    HWND m_tooltip = nullptr;
    HWND m_messageList = nullptr;
    HWND m_sdkList = nullptr;
    HWND m_middlewareList = nullptr;
    HACCEL m_accelerators = nullptr;
    int m_dpi = 96;
    FontSet m_fonts;
    std::vector<HWND> m_groups;
    std::vector<Binding> m_bindings;
    std::vector<HICON> m_icons;
    std::vector<std::wstring> m_messageLines;
    COLORREF m_messageColour = RGB(0, 0, 0);
    std::vector<std::optional<COLORREF>> m_sdkColours;
    std::vector<std::optional<COLORREF>> m_middlewareColours;
    std::wstring m_tipText;  // the text a tooltip asked for, kept until it asks again
    HBRUSH m_white = nullptr;
    bool m_rendering = false;
    bool m_shown = false;

    // The work under way and what the window owes once it ends.
    std::thread m_worker;
    ReadProgress m_progress;
    std::wstring m_progressLabel;
    bool m_switchAfterWork = false;
    std::vector<std::string> m_opened;
};

}  // namespace parvex
