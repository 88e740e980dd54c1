#include "win/MainWindow.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "core/Format.h"
#include "core/WideText.h"
#include "layout/DesignPlace.h"
#include "layout/Placement.h"
#include "layout/StartupPath.h"
#include "report/Report.h"
#include "win/AboutBox.h"
#include "win/Pictures.h"
#include "win/WinText.h"

namespace parvex {
namespace {

constexpr UINT kWorkEndedMessage = WM_APP + 1;
constexpr UINT_PTR kProgressTimer = 1;
// No WS_CLIPCHILDREN: group boxes draw only their frame, the window paints what lies inside them.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = WS_EX_ACCEPTFILES;
constexpr int kListRowsShown = 12;  // how many message lines the drop-down shows before it scrolls

struct Creation {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

// How each look of the design table is made natively.
Creation creationOf(Look look) {
    constexpr DWORD label = SS_LEFTNOWORDWRAP | SS_NOTIFY;
    switch (look) {
        case Look::BoxReadOnly: return {WC_EDITW, ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case Look::BoxEditable: return {WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case Look::MessageList: return {WC_COMBOBOXW, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0};
        case Look::ButtonPlain:
        case Look::ButtonBold: return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
        case Look::Label:
        case Look::BoldLabel:
        case Look::OffsetLabel:
        case Look::SuffixLabel: return {WC_STATICW, label, 0};
        case Look::BoldRightLabel: return {WC_STATICW, SS_RIGHT | SS_NOTIFY, 0};
        case Look::Panel: return {WC_STATICW, SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY | WS_BORDER, 0};
        case Look::BarePanel: return {WC_STATICW, SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY, 0};
        case Look::ListView:
            return {WC_LISTVIEWW, LVS_REPORT | LVS_NOSORTHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                    WS_EX_CLIENTEDGE};
        case Look::Picture: return {WC_STATICW, SS_ICON | SS_CENTERIMAGE | SS_REALSIZECONTROL, 0};
    }
    return {WC_STATICW, label, 0};
}

COLORREF nativeColour(Colour c) {
    switch (c) {
        case Colour::Black: return RGB(0, 0, 0);
        case Colour::Red: return RGB(255, 0, 0);
        case Colour::Blue: return RGB(0, 0, 255);
    }
    return RGB(0, 0, 0);
}

COLORREF tintColour(Tint tint) {
    switch (tint) {
        case Tint::None: break;
        case Tint::Blue: return nativeColour(Colour::Blue);
        case Tint::Fuchsia: return RGB(255, 0, 255);
        case Tint::Green: return RGB(0, 128, 0);
    }
    return nativeColour(Colour::Black);
}

bool isBold(Look look) {
    return look == Look::ButtonBold || look == Look::BoldLabel || look == Look::BoldRightLabel ||
           look == Look::BarePanel || look == Look::SuffixLabel;
}

bool isBox(Look look) { return look == Look::BoxReadOnly || look == Look::BoxEditable; }

int controlId(const ControlDesign& d, std::size_t row) {
    if (d.field) return kFieldIdBase + static_cast<int>(*d.field);
    if (d.control) return kControlIdBase + static_cast<int>(*d.control);
    return kGroupIdBase + 100 + static_cast<int>(row);
}

std::wstring listRowsText(HWND list) {
    const int rows = ListView_GetItemCount(list);
    const int columns = Header_GetItemCount(ListView_GetHeader(list));
    std::wstring text;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            wchar_t cell[512] = {};
            ListView_GetItemText(list, row, column, cell, 512);
            text += (column ? L"\t" : L"") + std::wstring(cell);
        }
        text += L"\n";
    }
    return text;
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// A menu item text shows '&' as a mnemonic; a path keeps its own.
std::wstring menuText(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) out += c == L'&' ? std::wstring(L"&&") : std::wstring(1, c);
    return out;
}

LRESULT CALLBACK forwardContextMenu(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR main) {
    // The message list's own edit and list keep their menus to themselves otherwise.
    if (message == WM_CONTEXTMENU) return SendMessageW(reinterpret_cast<HWND>(main), WM_CONTEXTMENU, wParam, lParam);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK followLineTip(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR tooltip) {
    // The drop-down's tooltip shows the line under the mouse: a new line asks for its text again.
    static LRESULT lastItem = -1;
    if (message == WM_MOUSEMOVE) {
        const LRESULT item = SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lParam);
        if (item != lastItem) {
            lastItem = item;
            SendMessageW(reinterpret_cast<HWND>(tooltip), TTM_UPDATE, 0, 0);
        }
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void registerClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;  // replaced by the window's own procedure at creation
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kMainWindowClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

MainWindow::MainWindow(WindowOptions options)
    : m_session(options.programDir), m_options(std::move(options)), m_recent(m_options.settingsFile) {
    registerClass();
    m_white = CreateSolidBrush(RGB(255, 255, 255));
    m_hwnd = CreateWindowExW(kWindowExStyle, kMainWindowClass, displayText(kStartCaption).c_str(), kWindowStyle,
                             kWindowLeft, kWindowTop, kClientWidth, kClientHeight, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindow::windowProc));
    m_dpi = static_cast<int>(GetDpiForWindow(m_hwnd));
    m_fonts = FontSet(kFontPixels, m_dpi);
    createControls();
    createTooltips();
    applyFonts();
    setPictures();
    placeControls();
    placeWindow();

    const ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, 'O', static_cast<WORD>(kControlIdBase + static_cast<int>(Control::LoadBtn))},
        {FVIRTKEY | FCONTROL, 'R', kReloadCommand},
        {FVIRTKEY | FCONTROL, 'S', kSaveReportCommand},
        {FVIRTKEY | FCONTROL | FSHIFT, 'C', kCopyReportCommand},
    };
    m_accelerators = CreateAcceleratorTableW(const_cast<ACCEL*>(keys), static_cast<int>(std::size(keys)));
    m_session.progress = &m_progress;
    render();
    // The argument is checked before the first showing, so that showing re-runs it in Japanese.
    if (!m_options.arguments.empty())
        loadPaths({resolveStartupPath(m_options.arguments.front(), m_options.startDir, m_session.state.Program_Dir)});
    DragAcceptFiles(m_hwnd, TRUE);
}

MainWindow::~MainWindow() {
    cancelWork();
    if (IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
    if (m_accelerators) DestroyAcceleratorTable(m_accelerators);
    for (HICON icon : m_icons) DestroyIcon(icon);
    DeleteObject(m_white);
}

void MainWindow::createControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Group boxes first, so that the controls drawn over them come later in the z-order.
    for (const GroupDesign& g : groupDesigns()) {
        m_groups.push_back(
            CreateWindowExW(0, WC_BUTTONW, L"", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0, 0, 0, m_hwnd,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kGroupIdBase + static_cast<int>(g.group))),
                            instance, nullptr));
    }
    const auto designs = controlDesigns();
    for (std::size_t row = 0; row < designs.size(); ++row) {
        const ControlDesign& d = designs[row];
        const Creation c = creationOf(d.look);
        HWND hwnd =
            CreateWindowExW(c.exStyle, c.className, L"", WS_CHILD | WS_VISIBLE | c.style, 0, 0, 0, 0, m_hwnd,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(d, row))), instance, nullptr);
        // A box shows a field; the hint of a box comes from the control of the same name.
        const std::optional<Control> control = d.control ? d.control : controlByName(d.name);
        m_bindings.push_back({hwnd, &d, d.field, control, tintColour(d.tint), {}});
        if (d.look == Look::MessageList) m_messageList = hwnd;
        if (d.control == Control::SDK_ListView) m_sdkList = hwnd;
        if (d.control == Control::Middleware_ListView) m_middlewareList = hwnd;
    }
    for (HWND list : {m_sdkList, m_middlewareList}) {
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
        const int columns = list == m_sdkList ? 1 : 2;
        for (int i = 0; i < columns; ++i) {
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = const_cast<wchar_t*>(L"");
            ListView_InsertColumn(list, i, &column);
        }
    }
    COMBOBOXINFO combo{};
    combo.cbSize = sizeof combo;
    GetComboBoxInfo(m_messageList, &combo);
    for (HWND part : {combo.hwndItem, combo.hwndList})
        SetWindowSubclass(part, forwardContextMenu, 1, reinterpret_cast<DWORD_PTR>(m_hwnd));
}

void MainWindow::createTooltips() {
    m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0,
                                0, 0, 0, m_hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, scaleToDpi(480, m_dpi));
    const auto addTool = [this](HWND tool) {
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = m_hwnd;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    };
    for (const Binding& b : m_bindings)
        if (b.control) addTool(b.hwnd);
    COMBOBOXINFO combo{};
    combo.cbSize = sizeof combo;
    GetComboBoxInfo(m_messageList, &combo);
    addTool(combo.hwndItem);
    addTool(combo.hwndList);
    SetWindowSubclass(combo.hwndList, followLineTip, 2, reinterpret_cast<DWORD_PTR>(m_tooltip));
}

void MainWindow::applyFonts() {
    for (const Binding& b : m_bindings) {
        const Look look = b.design->look;
        HFONT font = look == Look::OffsetLabel ? m_fonts.fixed : isBold(look) ? m_fonts.bold : m_fonts.normal;
        SendMessageW(b.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    for (HWND g : m_groups) SendMessageW(g, WM_SETFONT, reinterpret_cast<WPARAM>(m_fonts.normal), TRUE);
    SendMessageW(m_tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(m_fonts.normal), TRUE);
}

void MainWindow::setPictures() {
    for (HICON icon : m_icons) DestroyIcon(icon);
    m_icons.clear();
    for (const Binding& b : m_bindings) {
        if (!b.design->picture) continue;
        const auto pixels = designPicture(b.design->picture);
        if (!pixels) continue;
        HICON icon = makeIcon(*pixels, scaleToDpi(pixels->width, m_dpi));
        m_icons.push_back(icon);
        if (b.design->look == Look::Picture) SendMessageW(b.hwnd, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        else SendMessageW(b.hwnd, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    }
}

void MainWindow::placeControls() {
    for (std::size_t i = 0; i < m_groups.size(); ++i) {
        const Place p = scaleToDpi(clientPlace(groupDesigns()[i]), m_dpi);
        MoveWindow(m_groups[i], p.left, p.top, p.width, p.height, FALSE);
    }
    for (const Binding& b : m_bindings) {
        Place p = scaleToDpi(clientPlace(*b.design), m_dpi);
        // The drop-down's height is its open list; the closed field keeps the design's height.
        if (b.hwnd == m_messageList) {
            SendMessageW(b.hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), p.height - scaleToDpi(6, m_dpi));
            p.height += kListRowsShown * scaleToDpi(kFontPixels + 2, m_dpi);
        }
        MoveWindow(b.hwnd, p.left, p.top, p.width, p.height, FALSE);
        fitLabel(b);
    }
    ListView_SetColumnWidth(m_sdkList, 0, scaleToDpi(kSdkColumnWidth, m_dpi));
    ListView_SetColumnWidth(m_middlewareList, 0, scaleToDpi(kDevelopmentColumnWidth, m_dpi));
    ListView_SetColumnWidth(m_middlewareList, 1, scaleToDpi(kModuleColumnWidth, m_dpi));
    SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, scaleToDpi(480, m_dpi));
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void MainWindow::fitLabel(const Binding& b) {
    // A label designed without a width is as wide as its caption; a right-aligned one grows leftwards.
    const ControlDesign& d = *b.design;
    const bool fitsText = d.place.width == 0 && !d.field;
    if (!fitsText && d.look != Look::BoldRightLabel) return;
    const std::wstring caption = displayText(plainCaption(utf8FromWide(windowText(b.hwnd))));
    HDC dc = GetDC(b.hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(b.hwnd, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(b.hwnd, dc);
    const Place p = scaleToDpi(clientPlace(d), m_dpi);
    if (fitsText) {
        MoveWindow(b.hwnd, p.left, p.top, extent.cx + 1, extent.cy, TRUE);
        return;
    }
    const int width = std::max(p.width, static_cast<int>(extent.cx));
    MoveWindow(b.hwnd, p.left + p.width - width, p.top, width, p.height, TRUE);
}

void MainWindow::placeWindow() {
    RECT frame{0, 0, scaleToDpi(kClientWidth, m_dpi), scaleToDpi(kClientHeight, m_dpi)};
    AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, kWindowExStyle, static_cast<UINT>(m_dpi));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint({kWindowLeft, kWindowTop}, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const ScreenPoint at = placeFrame({work.left, work.top, work.right - work.left, work.bottom - work.top}, width,
                                      height, {kWindowLeft, kWindowTop});
    SetWindowPos(m_hwnd, nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::show(int showCommand) {
    ShowWindow(m_hwnd, showCommand);
    UpdateWindow(m_hwnd);
    // The window is designed in English; its first showing turns it Japanese.
    if (m_shown) return;
    m_shown = true;
    if (busy()) m_switchAfterWork = true;
    else switchLanguage();
}

bool MainWindow::translateAccelerator(MSG& msg) { return TranslateAcceleratorW(m_hwnd, m_accelerators, &msg) != 0; }

HWND MainWindow::controlWindow(Control c) const {
    for (const Binding& b : m_bindings)
        if (b.control == c && !b.field) return b.hwnd;
    return nullptr;
}

HWND MainWindow::boxWindow(Field f) const {
    for (const Binding& b : m_bindings)
        if (b.field == f) return b.hwnd;
    return nullptr;
}

void MainWindow::render() {
    m_rendering = true;
    for (Binding& b : m_bindings) renderBinding(b);
    renderMessages();
    renderLists();
    SetWindowTextW(m_hwnd, displayText(m_session.model.caption).c_str());
    m_rendering = false;
}

void MainWindow::renderBinding(Binding& b) {
    const WindowModel& model = m_session.model;
    if (b.control) b.hint = displayText(model.control(*b.control).hint);
    bool visible = true;
    std::optional<std::wstring> text;
    if (b.field) {
        const DisplayField& field = model.field(*b.field);
        text = displayText(field.text);
        b.textColour = nativeColour(field.colour);
        visible = field.visible;
    } else if (b.control) {
        const ControlTexts& texts = model.control(*b.control);
        visible = texts.visible;
        switch (controlKind(*b.control)) {
            case ControlKind::Button:
            case ControlKind::Label:
            case ControlKind::Panel: text = displayText(texts.caption); break;
            case ControlKind::ListView:
                for (int column = 0; column < (b.hwnd == m_sdkList ? 1 : 2); ++column) {
                    std::wstring heading = displayText(column == 0 ? texts.column1 : texts.column2);
                    LVCOLUMNW c{};
                    c.mask = LVCF_TEXT;
                    c.pszText = heading.data();
                    ListView_SetColumn(b.hwnd, column, &c);
                }
                break;
            case ControlKind::ComboBox:
            case ControlKind::ValueBox:
            case ControlKind::Dialog: break;
        }
    }
    if (text && windowText(b.hwnd) != *text) {
        SetWindowTextW(b.hwnd, text->c_str());
        if (isBox(b.design->look)) SendMessageW(b.hwnd, EM_SETSEL, 0, 0);
        fitLabel(b);
    }
    // The control's own flag: IsWindowVisible is false for all of them while the window is hidden.
    const bool shown = (GetWindowLongPtrW(b.hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != visible) ShowWindow(b.hwnd, visible ? SW_SHOWNA : SW_HIDE);
    InvalidateRect(b.hwnd, nullptr, TRUE);
}

void MainWindow::renderMessages() {
    const MessageList& list = m_session.model.messages;
    std::vector<std::wstring> lines;
    for (const MessageLine& line : list.lines) lines.push_back(displayText(line.text));
    if (lines != m_messageLines) {
        m_messageLines = std::move(lines);
        SendMessageW(m_messageList, CB_RESETCONTENT, 0, 0);
        for (const std::wstring& line : m_messageLines)
            SendMessageW(m_messageList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        fitDropDown();
    }
    SetWindowTextW(m_messageList, displayText(list.text).c_str());
    m_messageColour = nativeColour(list.colour);
    InvalidateRect(m_messageList, nullptr, TRUE);
}

void MainWindow::fitDropDown() {
    HDC dc = GetDC(m_messageList);
    HGDIOBJ old = SelectObject(dc, m_fonts.normal);
    int longest = 0;
    for (const std::wstring& line : m_messageLines) {
        SIZE extent{};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
        longest = std::max(longest, static_cast<int>(extent.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(m_messageList, dc);
    // Every line shown whole: the line, its margins and a scroll bar, should the list be long.
    const int needed =
        longest + scaleToDpi(8, m_dpi) + GetSystemMetricsForDpi(SM_CXVSCROLL, static_cast<UINT>(m_dpi));
    RECT closed{};
    GetWindowRect(m_messageList, &closed);
    SendMessageW(m_messageList, CB_SETDROPPEDWIDTH,
                 static_cast<WPARAM>(std::max<int>(closed.right - closed.left, needed)), 0);
}

void MainWindow::renderLists() {
    const WindowModel& model = m_session.model;
    const auto fill = [](HWND list, const std::vector<std::vector<std::wstring>>& rows) {
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        ListView_DeleteAllItems(list);
        for (std::size_t row = 0; row < rows.size(); ++row) {
            for (std::size_t column = 0; column < rows[row].size(); ++column) {
                LVITEMW item{};
                item.mask = LVIF_TEXT;
                item.iItem = static_cast<int>(row);
                item.iSubItem = static_cast<int>(column);
                item.pszText = const_cast<wchar_t*>(rows[row][column].c_str());
                if (column == 0) ListView_InsertItem(list, &item);
                else ListView_SetItem(list, &item);
            }
        }
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    };
    const auto native = [](std::optional<Colour> c) -> std::optional<COLORREF> {
        if (c) return nativeColour(*c);
        return std::nullopt;
    };
    std::vector<std::vector<std::wstring>> rows;
    m_sdkColours.clear();
    for (const SdkRow& row : model.sdkRows) {
        rows.push_back({displayText(row.caption)});
        m_sdkColours.push_back(native(sdkRowColour(row)));
    }
    fill(m_sdkList, rows);
    rows.clear();
    m_middlewareColours.clear();
    for (const MiddlewareRow& row : model.middlewareRows) {
        rows.push_back({displayText(row.development), displayText(row.module)});
        m_middlewareColours.push_back(native(middlewareRowColour(row)));
    }
    fill(m_middlewareList, rows);
}

LRESULT CALLBACK MainWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return window ? window->handle(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
        case WM_NOTIFY: return onNotify(*reinterpret_cast<const NMHDR*>(lParam), lParam);
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC: return onCtlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DROPFILES: onDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
        case WM_CONTEXTMENU:
            onContextMenu(reinterpret_cast<HWND>(wParam), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_DPICHANGED: onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_TIMER: showProgress(); return 0;
        case kWorkEndedMessage: onWorkEnded(); return 0;
        case WM_SETCURSOR:
            if (!busy()) break;
            SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
            return TRUE;
        case WM_CLOSE: onClose(); return 0;
        case WM_DESTROY:
            if (m_options.quitOnClose) PostQuitMessage(0);
            return 0;
        default: break;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void MainWindow::onCommand(int id, int code, HWND from) {
    const auto button = [](Control c) { return kControlIdBase + static_cast<int>(c); };
    if (id == button(Control::LoadBtn)) loadCommand();
    else if (id == button(Control::VersionBtn)) aboutCommand();
    else if (id == button(Control::LBtn)) switchLanguage();
    else if (id == button(Control::CRCBtn)) crcCommand();
    else if (id == button(Control::BitBtn4)) onClose();
    else if (id == kReloadCommand) reloadCommand();
    else if (id == kSaveReportCommand) saveReportCommand();
    else if (id == kCopyReportCommand) copyReportCommand();
    else if (id == kCopyMessagesCommand || id == kCopySdkCommand || id == kCopyMiddlewareCommand) copyAll(id);
    else if (code == EN_CHANGE && id >= kFieldIdBase && id < kFieldIdBase + static_cast<int>(kFieldCount)) {
        // Checks read some boxes back, so what the user types is the box's text; while a run works
        // the model is its own, and the run's result replaces the text.
        if (!m_rendering && !busy())
            m_session.model.setText(static_cast<Field>(id - kFieldIdBase), utf8FromWide(windowText(from)));
    }
}

LRESULT MainWindow::onNotify(const NMHDR& header, LPARAM lParam) {
    if (header.hwndFrom == m_tooltip && header.code == TTN_GETDISPINFOW) {
        auto& info = *reinterpret_cast<NMTTDISPINFOW*>(lParam);
        const auto tool = reinterpret_cast<HWND>(header.idFrom);
        COMBOBOXINFO combo{};
        combo.cbSize = sizeof combo;
        GetComboBoxInfo(m_messageList, &combo);
        m_tipText.clear();
        if (tool == combo.hwndList) {
            POINT at{};
            GetCursorPos(&at);
            ScreenToClient(tool, &at);
            const LRESULT item = SendMessageW(tool, LB_ITEMFROMPOINT, 0, MAKELPARAM(at.x, at.y));
            const auto line = static_cast<std::size_t>(LOWORD(item));
            if (HIWORD(item) == 0 && line < m_messageLines.size()) m_tipText = m_messageLines[line];
        } else {
            const HWND owner = tool == combo.hwndItem ? m_messageList : tool;
            for (const Binding& b : m_bindings)
                if (b.hwnd == owner) m_tipText = b.hint;
        }
        info.lpszText = m_tipText.data();
        return 0;
    }
    if ((header.hwndFrom == m_sdkList || header.hwndFrom == m_middlewareList) && header.code == NM_CUSTOMDRAW) {
        auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
        if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
        const auto& colours = header.hwndFrom == m_sdkList ? m_sdkColours : m_middlewareColours;
        const std::size_t row = draw.nmcd.dwItemSpec;
        if (row < colours.size() && colours[row]) draw.clrText = *colours[row];
        return CDRF_DODEFAULT;
    }
    return 0;
}

LRESULT MainWindow::onCtlColour(HDC dc, HWND control) {
    // Value boxes and the message list: white, in the model's colour. Read-only edits ask with the
    // STATIC message, so both messages come here.
    if (GetParent(control) == m_messageList || control == m_messageList) {
        SetTextColor(dc, m_messageColour);
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(m_white);
    }
    for (const Binding& b : m_bindings) {
        if (b.hwnd != control) continue;
        SetTextColor(dc, b.textColour);
        if (isBox(b.design->look)) {
            SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(m_white);
        }
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefWindowProcW(m_hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

void MainWindow::onDropFiles(HDROP drop) {
    SetForegroundWindow(m_hwnd);
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(utf8FromWide(path));
    }
    DragFinish(drop);
    loadPaths(std::move(paths));
}

void MainWindow::onContextMenu(HWND control, POINT at) {
    if (at.x == -1 && at.y == -1) {  // from the keyboard: at the control's corner
        RECT r{};
        GetWindowRect(control, &r);
        at = {r.left, r.bottom};
    }
    if (control == controlWindow(Control::LoadBtn)) {
        showRecentMenu(at);
        return;
    }
    int command = 0;
    if (control == m_messageList || GetParent(control) == m_messageList) command = kCopyMessagesCommand;
    COMBOBOXINFO combo{};
    combo.cbSize = sizeof combo;
    GetComboBoxInfo(m_messageList, &combo);
    if (control == combo.hwndList) command = kCopyMessagesCommand;
    if (control == m_sdkList) command = kCopySdkCommand;
    if (control == m_middlewareList) command = kCopyMiddlewareCommand;
    if (!command) return;
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(command), text(Msg::CopyAll).c_str());
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hwnd, nullptr);
    DestroyMenu(menu);
    if (chosen) onCommand(chosen, 0, nullptr);
}

void MainWindow::onDpiChanged(int dpi, const RECT& suggested) {
    m_dpi = dpi;
    m_fonts = FontSet(kFontPixels, m_dpi);
    applyFonts();
    setPictures();
    placeControls();
    fitDropDown();
    SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// The Open and Save dialogs' common set-up: the file buffer takes a long path whole.
OPENFILENAMEW fileDialog(HWND owner, const std::wstring& filter, std::wstring& file, const wchar_t* initialDir,
                         DWORD flags) {
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = initialDir;
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | flags;
    return dialog;
}

}  // namespace

void MainWindow::loadCommand() {
    if (busy()) return;
    // The filter of the current language; the dialog starts from the last file.
    const std::wstring description = displayText(m_session.model.control(Control::OpenDialog1).filter);
    std::wstring filter = description + L" (*.SRL)" + L'\0' + L"*.SRL" + L'\0' + L'\0';
    std::wstring file(32768, L'\0');
    const std::wstring last = m_session.fileName.empty() ? L"" : displayText(m_session.fileName);
    last.copy(file.data(), std::min(last.size(), file.size() - 1));
    const std::wstring startDir = displayText(m_options.startDir);
    OPENFILENAMEW dialog = fileDialog(m_hwnd, filter, file, last.empty() ? startDir.c_str() : nullptr,
                                      OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    if (!GetOpenFileNameW(&dialog)) return;
    loadPaths({utf8FromWide(file.c_str())});
}

void MainWindow::reloadCommand() {
    if (busy() || m_session.fileName.empty()) return;
    loadPaths({m_session.fileName});
}

void MainWindow::switchLanguage() {
    if (busy()) return;
    m_session.switchLanguage();
    render();
}

void MainWindow::crcCommand() {
    if (busy()) return;
    startWork(Msg::CrcProgress, [](Session& session) { session.computeFileCrc(); });
}

void MainWindow::aboutCommand() {
    if (busy()) return;
    showAboutBox(m_hwnd, displayText(m_session.aboutCaption()), m_dpi);
}

std::string MainWindow::reportText() const { return renderText(m_session, m_session.fileName, false); }

bool MainWindow::saveReport(const std::wstring& path) const {
    const bool json = path.size() >= 5 && _wcsicmp(path.c_str() + path.size() - 5, L".json") == 0;
    return writeFile(
        path,
        json ? renderJsonDocument(nlohmann::json::array({renderJson(m_session, m_session.fileName)})) : reportText());
}

void MainWindow::copyReportCommand() {
    if (busy()) return;
    copyToClipboard(m_hwnd, withCrLf(displayText(reportText())));
}

void MainWindow::saveReportCommand() {
    if (busy()) return;
    const std::wstring image = displayText(m_session.fileName);
    const auto slash = image.find_last_of(L"\\/");
    std::wstring name = image.substr(slash == std::wstring::npos ? 0 : slash + 1);
    name = name.empty() ? L"report" : name.substr(0, name.find_last_of(L'.'));
    std::wstring file(32768, L'\0');
    (name + L".txt").copy(file.data(), std::min(name.size() + 4, file.size() - 1));
    // The same two choices, in the same words, as the Qt window's Save dialog.
    const std::wstring filter = text(Msg::TextReportFilter) + L'\0' + L"*.txt" + L'\0' + text(Msg::JsonReportFilter) +
                                L'\0' + L"*.json" + L'\0' + L'\0';
    const std::wstring folder =
        slash == std::wstring::npos ? displayText(m_options.startDir) : image.substr(0, slash);
    OPENFILENAMEW dialog = fileDialog(m_hwnd, filter, file, folder.c_str(), OFN_OVERWRITEPROMPT);
    dialog.lpstrDefExt = L"txt";
    if (!GetSaveFileNameW(&dialog)) return;
    if (!saveReport(file.c_str()))
        MessageBoxW(m_hwnd, text(Msg::SaveFailed).c_str(), windowText(m_hwnd).c_str(), MB_OK | MB_ICONWARNING);
}

void MainWindow::copyAll(int command) {
    std::wstring all;
    if (command == kCopyMessagesCommand) {
        for (const std::wstring& line : m_messageLines) all += line + L"\n";
        if (all.empty()) all = windowText(m_messageList) + L"\n";
    } else {
        all = listRowsText(command == kCopySdkCommand ? m_sdkList : m_middlewareList);
    }
    copyToClipboard(m_hwnd, withCrLf(all));
}

void MainWindow::showRecentMenu(POINT at) {
    if (busy()) return;
    const std::vector<std::string> recent = m_recent.load();
    HMENU menu = CreatePopupMenu();
    for (std::size_t i = 0; i < recent.size(); ++i)
        AppendMenuW(menu, MF_STRING, kRecentFirstCommand + i, menuText(displayText(recent[i])).c_str());
    if (recent.empty()) AppendMenuW(menu, MF_STRING | MF_GRAYED, 0, text(Msg::NoRecentFiles).c_str());
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hwnd, nullptr);
    DestroyMenu(menu);
    const auto index = static_cast<std::size_t>(chosen - kRecentFirstCommand);
    if (chosen >= kRecentFirstCommand && index < recent.size()) loadPaths({recent[index]});
}

void MainWindow::loadPaths(std::vector<std::string> paths) {
    if (busy() || paths.empty()) return;
    m_opened.clear();
    startWork(Msg::CheckingProgress, [this, paths = std::move(paths)](Session& session) {
        for (const std::string& path : paths) {
            if (m_progress.cancelled) return;
            session.load(path);
            if (!session.lastOpenFailed) m_opened.push_back(path);
        }
    });
}

void MainWindow::startWork(Msg progress, std::function<void(Session&)> job) {
    m_progress.bytesRead = 0;
    m_progress.cancelled = false;
    m_progressLabel = text(progress);
    for (Control c : {Control::LoadBtn, Control::LBtn, Control::CRCBtn}) EnableWindow(controlWindow(c), FALSE);
    showProgress();
    SetTimer(m_hwnd, kProgressTimer, 100, nullptr);
    m_worker = std::thread([this, job = std::move(job)] {
        job(m_session);
        PostMessageW(m_hwnd, kWorkEndedMessage, 0, 0);
    });
}

void MainWindow::showProgress() {
    if (!busy()) return;
    const auto mebibytes = static_cast<unsigned long long>(m_progress.bytesRead.load() >> 20);
    SetWindowTextW(m_hwnd, (m_progressLabel + L"\u2026 " + std::to_wstring(mebibytes) + L" MiB").c_str());
}

void MainWindow::onWorkEnded() {
    // A work taken down by cancelWork has ended already.
    if (!busy()) return;
    m_worker.join();
    KillTimer(m_hwnd, kProgressTimer);
    for (Control c : {Control::LoadBtn, Control::LBtn, Control::CRCBtn}) EnableWindow(controlWindow(c), TRUE);
    if (!m_progress.cancelled) m_recent.remember(m_opened);
    m_opened.clear();
    if (m_switchAfterWork) {
        m_switchAfterWork = false;
        m_session.switchLanguage();
    }
    render();
}

void MainWindow::cancelWork() {
    if (!busy()) return;
    m_progress.cancelled = true;
    m_worker.join();
    KillTimer(m_hwnd, kProgressTimer);
}

void MainWindow::waitForWork() {
    MSG msg;
    while (busy() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void MainWindow::onClose() {
    // The read under way looks at the cancel flag between blocks, so closing ends promptly.
    cancelWork();
    DestroyWindow(m_hwnd);
}

std::wstring MainWindow::text(Msg m) const { return displayText(textOf(m_session.model, m)); }

}  // namespace parvex
