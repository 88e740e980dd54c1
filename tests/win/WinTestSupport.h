#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/WideText.h"
#include "run/Session.h"
#include "support/TempDir.h"
#include "tools/SampleImage.h"
#include "win/MainWindow.h"
#include "win/WinText.h"

namespace parvex::test {

// The images the window is tried on, in a folder with a Japanese name: the clean sample and one
// fault each.
struct ImageFolder {
    TempDir dir;
    std::string folder = dir.file("提出イメージ");
    std::string sample, badTitle, cutOff, empty, missing;

    ImageFolder() {
        std::filesystem::create_directory(pathFromUtf8(folder));
        const std::vector<std::uint8_t> image = buildSampleImage(sampleOptionsForName("QPVXJ00.SRL"));
        sample = dir.write("提出イメージ/QPVXJ00.SRL", image);
        std::vector<std::uint8_t> bad = image;
        bad[2] = 'a';
        bad[3] = 0x81;  // a lower-case letter and half a Shift-JIS character in the title
        badTitle = dir.write("提出イメージ/QBADJ00.SRL", bad);
        cutOff =
            dir.write("提出イメージ/QCUTJ00.SRL", std::vector<std::uint8_t>(image.begin(), image.begin() + 4000));
        empty = dir.write("提出イメージ/QNILJ00.SRL", std::vector<std::uint8_t>{});
        missing = dir.file("提出イメージ/QNONE00.SRL");
    }
};

// A window as the program makes it, with its side files and recent-files list in dir.
inline std::unique_ptr<MainWindow> openWindow(const TempDir& dir, std::vector<std::string> arguments = {}) {
    WindowOptions options;
    options.programDir = utf8FromPath(dir.path());
    options.startDir = options.programDir;
    options.arguments = std::move(arguments);
    options.settingsFile = pathFromUtf8(dir.file("PARVEX/parvex.ini")).wstring();
    options.quitOnClose = false;
    auto window = std::make_unique<MainWindow>(std::move(options));
    window->show(SW_SHOWNOACTIVATE);
    window->waitForWork();
    return window;
}

// Files dropped on the window as the shell drops them: a DROPFILES block of wide paths.
inline void dropFiles(MainWindow& window, const std::vector<std::string>& paths) {
    std::wstring list;
    for (const std::string& path : paths) list += wideFromUtf8(path) + L'\0';
    list += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    // The window releases the drop (DragFinish), as it does the shell's.
    SendMessageW(window.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

inline void click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

inline std::wstring clipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return L"(clipboard busy)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

inline void emptyClipboard() {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    CloseClipboard();
}

// The colour the window paints a control's text in: what it answers to the control's own
// WM_CTLCOLOR message (read-only edits and statics send the STATIC one).
inline COLORREF paintedColour(HWND window, HWND control, UINT message) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageW(window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
}

// The hint the tooltip would show over a control.
inline std::string hintOf(MainWindow& window, HWND control) {
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = window.tooltipWindow();
    info.hdr.idFrom = reinterpret_cast<UINT_PTR>(control);
    info.hdr.code = TTN_GETDISPINFOW;
    info.uFlags = TTF_IDISHWND;
    SendMessageW(window.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    return info.lpszText ? utf8FromWide(info.lpszText) : std::string();
}

inline std::string textOfWindow(HWND hwnd) { return utf8FromWide(windowText(hwnd)); }

// What a text of the model looks like once shown (bytes that are not UTF-8 become U+FFFD).
inline std::string shown(const std::string& modelText) { return utf8FromWide(displayText(modelText)); }

}  // namespace parvex::test
