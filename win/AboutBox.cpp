#include "win/AboutBox.h"

#include <array>

#include "core/Findings.h"
#include "core/Version.h"
#include "layout/DesignPlace.h"
#include "win/Fonts.h"
#include "win/WinText.h"

namespace parvex {
namespace {

struct AboutState {
    std::wstring caption;
    int dpi;
    FontSet fonts;
    HFONT title = nullptr;
};

struct AboutItem {
    const wchar_t* className;
    DWORD style;
    Place place;
};

// The box's design: a sunken panel with the name and version, and OK below it.
constexpr int kPanel = 0, kName = 1, kVersion = 2, kOk = 3;
constexpr std::array<AboutItem, 4> kItems{{
    {L"STATIC", SS_SUNKEN, {16, 8, 289, 100}},
    {L"STATIC", SS_LEFT | SS_NOPREFIX, {48, 16, 240, 22}},
    {L"STATIC", SS_LEFT | SS_NOPREFIX, {120, 40, 160, 20}},
    {L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, {128, 120, 75, 25}},
}};
constexpr int kClientWidth = 326, kClientHeight = 153;

void onInit(HWND dialog, AboutState& s) {
    SetWindowTextW(dialog, s.caption.c_str());
    RECT frame{0, 0, scaleToDpi(kClientWidth, s.dpi), scaleToDpi(kClientHeight, s.dpi)};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)), static_cast<UINT>(s.dpi));
    RECT owner{};
    GetWindowRect(GetParent(dialog) ? GetParent(dialog) : GetDesktopWindow(), &owner);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(dialog, nullptr, (owner.left + owner.right - width) / 2, (owner.top + owner.bottom - height) / 2,
                 width, height, SWP_NOZORDER);
    s.fonts = FontSet(12, s.dpi);
    LOGFONTW title{};
    GetObjectW(s.fonts.normal, sizeof title, &title);
    title.lfHeight = -scaleToDpi(16, s.dpi);
    s.title = CreateFontIndirectW(&title);
    const std::wstring texts[] = {L"", L"  " + displayText(kProgramName), L"Version " + displayText(kProgramVersion),
                                  displayText(firstCopy(Msg::VerdictOk, Language::English))};
    for (int i = 0; i < static_cast<int>(kItems.size()); ++i) {
        const AboutItem& item = kItems[static_cast<std::size_t>(i)];
        const Place p = scaleToDpi(item.place, s.dpi);
        HWND control = CreateWindowExW(
            0, item.className, texts[i].c_str(), WS_CHILD | WS_VISIBLE | item.style, p.left, p.top, p.width, p.height,
            dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(i == kOk ? IDOK : 100 + i)), nullptr, nullptr);
        SendMessageW(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(i == kName      ? s.title
                                              : i == kVersion ? s.fonts.bold
                                                              : s.fonts.normal),
                     TRUE);
    }
    SetFocus(GetDlgItem(dialog, IDOK));
}

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = reinterpret_cast<AboutState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            onInit(dialog, *reinterpret_cast<AboutState*>(lParam));
            return FALSE;
        case WM_CTLCOLORSTATIC:
            // The name is drawn blue, as on the main window's own blue captions.
            if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != 100 + kName) return FALSE;
            SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 255));
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDOK);
            return TRUE;
        case WM_DESTROY:
            if (s && s->title) DeleteObject(s->title);
            return FALSE;
        default: return FALSE;
    }
}

}  // namespace

void showAboutBox(HWND owner, const std::wstring& caption, int dpi) {
    // An empty dialog template: the controls are made at WM_INITDIALOG at the window's dpi.
    struct alignas(DWORD) Template {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title;
    } t{};
    t.dialog.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    AboutState state{caption, dpi, {}, nullptr};
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &t.dialog, owner, aboutProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace parvex
