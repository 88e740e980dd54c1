// Every control of the window read back after runs on the sample and faulty images, in both
// languages, and held against the layout table and a session that made the same runs.
#include <gtest/gtest.h>

#include <optional>

#include "WinTestSupport.h"
#include "layout/DesignPlace.h"

namespace parvex::test {
namespace {

struct Case {
    const char* name;
    std::vector<std::string ImageFolder::*> images;  // dropped together, in this order
    int switches;                                    // clicks on the language button afterwards
    bool ferin = false;                              // ferin.ini beside the program
    int dpi = 96;                                    // the dpi the window is moved to at the end
};

const Case kCases[] = {
    {"SampleJapanese", {&ImageFolder::sample}, 0},
    {"SampleEnglish", {&ImageFolder::sample}, 1},
    {"DamagedTitleJapanese", {&ImageFolder::badTitle}, 0},
    {"DamagedTitleEnglish", {&ImageFolder::badTitle}, 1},
    {"CutOffImageEnglish", {&ImageFolder::cutOff}, 1},
    {"EmptyImageJapanese", {&ImageFolder::empty}, 0},
    {"MissingImageBackToJapanese", {&ImageFolder::missing}, 2},
    {"TwoDroppedTheSecondShows", {&ImageFolder::badTitle, &ImageFolder::sample}, 1},
    {"SampleWithFerinIni", {&ImageFolder::sample}, 0, true},
    {"DamagedTitleAt144Dpi", {&ImageFolder::badTitle}, 1, false, 144},
};

const ImageFolder& images() {
    static const ImageFolder folder;
    return folder;
}

const wchar_t* expectedClass(Look look) {
    switch (look) {
        case Look::BoxReadOnly:
        case Look::BoxEditable: return L"Edit";
        case Look::MessageList: return L"ComboBox";
        case Look::ButtonPlain:
        case Look::ButtonBold: return L"Button";
        case Look::ListView: return L"SysListView32";
        default: return L"Static";
    }
}

COLORREF expectedColour(Colour c) {
    return c == Colour::Red ? RGB(255, 0, 0) : c == Colour::Blue ? RGB(0, 0, 255) : RGB(0, 0, 0);
}

std::optional<COLORREF> tintOf(Tint t) {
    switch (t) {
        case Tint::None: return std::nullopt;
        case Tint::Blue: return RGB(0, 0, 255);
        case Tint::Fuchsia: return RGB(255, 0, 255);
        case Tint::Green: return RGB(0, 128, 0);
    }
    return std::nullopt;
}

RECT placeInClient(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int designId(const ControlDesign& d, std::size_t row) {
    if (d.field) return kFieldIdBase + static_cast<int>(*d.field);
    if (d.control) return kControlIdBase + static_cast<int>(*d.control);
    return kGroupIdBase + 100 + static_cast<int>(row);
}

void checkPlace(const ControlDesign& d, HWND hwnd, int dpi) {
    const Place want = scaleToDpi(clientPlace(d), dpi);
    const RECT got = placeInClient(hwnd);
    EXPECT_EQ(got.top, want.top);
    if (d.look == Look::BoldRightLabel) {
        // Right-aligned captions keep their right edge and grow leftwards when longer.
        EXPECT_EQ(got.right, want.left + want.width);
        EXPECT_GE(got.right - got.left, want.width);
        return;
    }
    EXPECT_EQ(got.left, want.left);
    if (d.place.width == 0) {  // sized to its caption
        EXPECT_GT(got.right - got.left, 0);
        return;
    }
    EXPECT_EQ(got.right - got.left, want.width);
    // The drop-down's window height is its open list; closed it is the design's height.
    if (d.look != Look::MessageList) {
        EXPECT_EQ(got.bottom - got.top, want.height);
    }
}

void checkMessageList(MainWindow& window, HWND combo, const WindowModel& want) {
    EXPECT_EQ(textOfWindow(combo), shown(want.messages.text));
    const auto count = static_cast<std::size_t>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    ASSERT_EQ(count, want.messages.lines.size());
    for (std::size_t i = 0; i < count; ++i) {
        std::wstring line(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        line.resize(
            static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
        EXPECT_EQ(utf8FromWide(line), shown(want.messages.lines[i].text)) << "line " << i;
    }
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(combo, &info);
    EXPECT_EQ(paintedColour(window.hwnd(), info.hwndItem, WM_CTLCOLOREDIT), expectedColour(want.messages.colour));
    // The edit line shows the list's hint; a line of the drop-down shows itself whole.
    EXPECT_EQ(hintOf(window, info.hwndItem), shown(want.control(Control::MComboBox).hint));
    if (!want.messages.lines.empty()) {
        POINT firstLine{2, 2};
        ClientToScreen(info.hwndList, &firstLine);
        SetCursorPos(firstLine.x, firstLine.y);
        EXPECT_EQ(hintOf(window, info.hwndList), shown(want.messages.lines.front().text));
    }
    // The drop-down is at least as wide as the longest line.
    HDC dc = GetDC(combo);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(combo, WM_GETFONT, 0, 0)));
    for (const MessageLine& line : want.messages.lines) {
        const std::wstring text = displayText(line.text);
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        EXPECT_GE(SendMessageW(combo, CB_GETDROPPEDWIDTH, 0, 0), extent.cx) << line.text;
    }
    ReleaseDC(combo, dc);
}

void checkList(MainWindow& window, HWND list, const ControlTexts& texts,
               const std::vector<std::vector<std::string>>& rows, const std::vector<std::optional<Colour>>& colours) {
    const std::string headings[] = {texts.column1, texts.column2};
    const int columns = Header_GetItemCount(ListView_GetHeader(list));
    for (int c = 0; c < columns; ++c) {
        wchar_t heading[256] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = heading;
        column.cchTextMax = 256;
        ListView_GetColumn(list, c, &column);
        EXPECT_EQ(utf8FromWide(heading), shown(headings[c]));
    }
    ASSERT_EQ(ListView_GetItemCount(list), static_cast<int>(rows.size()));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (std::size_t c = 0; c < rows[row].size(); ++c) {
            wchar_t cell[512] = {};
            ListView_GetItemText(list, static_cast<int>(row), static_cast<int>(c), cell, 512);
            EXPECT_EQ(utf8FromWide(cell), shown(rows[row][c]));
        }
        // The row's colour as the window's custom draw sets it; an uncoloured row keeps the list's.
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr.hwndFrom = list;
        draw.nmcd.hdr.code = NM_CUSTOMDRAW;
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        draw.nmcd.dwItemSpec = row;
        draw.clrText = RGB(1, 2, 3);
        SendMessageW(window.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
        EXPECT_EQ(draw.clrText, colours[row] ? expectedColour(*colours[row]) : RGB(1, 2, 3)) << "row " << row;
    }
}

class ControlTable : public ::testing::TestWithParam<Case> {};

TEST_P(ControlTable, EveryControlShowsTheModel) {
    const Case& c = GetParam();
    TempDir programDir;
    if (c.ferin) programDir.write("ferin.ini", "");
    auto window = openWindow(programDir);
    Session want(utf8FromPath(programDir.path()));
    want.switchLanguage();  // the first showing

    std::vector<std::string> paths;
    for (auto member : c.images) paths.push_back(images().*member);
    dropFiles(*window, paths);
    window->waitForWork();
    for (const std::string& path : paths) want.load(path);
    for (int i = 0; i < c.switches; ++i) {
        click(window->controlWindow(Control::LBtn));
        want.switchLanguage();
    }
    int dpi = static_cast<int>(GetDpiForWindow(window->hwnd()));
    if (c.dpi != dpi) {
        RECT suggested{0, 0, scaleToDpi(kClientWidth, c.dpi), scaleToDpi(kClientHeight, c.dpi)};
        SendMessageW(window->hwnd(), WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&suggested));
        dpi = c.dpi;
    }
    const WindowModel& model = want.model;
    EXPECT_EQ(textOfWindow(window->hwnd()), shown(model.caption));

    const auto designs = controlDesigns();
    for (std::size_t row = 0; row < designs.size(); ++row) {
        const ControlDesign& d = designs[row];
        SCOPED_TRACE(d.name);
        HWND hwnd = GetDlgItem(window->hwnd(), designId(d, row));
        ASSERT_NE(hwnd, nullptr);
        wchar_t className[64] = {};
        GetClassNameW(hwnd, className, 64);
        EXPECT_STREQ(className, expectedClass(d.look));
        checkPlace(d, hwnd, dpi);
        const bool visible = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
        const auto control = d.control ? d.control : controlByName(d.name);
        if (control) {
            EXPECT_EQ(hintOf(*window, hwnd), shown(model.control(*control).hint));
        }
        if (d.field) {
            const DisplayField& field = model.field(*d.field);
            EXPECT_EQ(textOfWindow(hwnd), shown(field.text));
            EXPECT_EQ(visible, field.visible);
            const UINT message = d.look == Look::BoxReadOnly ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
            EXPECT_EQ(paintedColour(window->hwnd(), hwnd, message), expectedColour(field.colour));
            continue;
        }
        if (d.look == Look::Picture) {
            EXPECT_NE(SendMessageW(hwnd, STM_GETICON, 0, 0), 0);
            continue;
        }
        const ControlTexts& texts = model.control(*d.control);
        EXPECT_EQ(visible, texts.visible);
        switch (d.look) {
            case Look::MessageList: checkMessageList(*window, hwnd, model); break;
            case Look::ListView:
                if (*d.control == Control::SDK_ListView) {
                    std::vector<std::vector<std::string>> rows;
                    std::vector<std::optional<Colour>> colours;
                    for (const SdkRow& r : model.sdkRows) {
                        rows.push_back({r.caption});
                        colours.push_back(sdkRowColour(r));
                    }
                    checkList(*window, hwnd, texts, rows, colours);
                } else {
                    std::vector<std::vector<std::string>> rows;
                    std::vector<std::optional<Colour>> colours;
                    for (const MiddlewareRow& r : model.middlewareRows) {
                        rows.push_back({r.development, r.module});
                        colours.push_back(middlewareRowColour(r));
                    }
                    checkList(*window, hwnd, texts, rows, colours);
                }
                break;
            case Look::ButtonPlain:
            case Look::ButtonBold:
                EXPECT_EQ(textOfWindow(hwnd), shown(texts.caption));
                EXPECT_NE(SendMessageW(hwnd, BM_GETIMAGE, IMAGE_ICON, 0), 0);
                break;
            default:
                EXPECT_EQ(textOfWindow(hwnd), shown(texts.caption));
                EXPECT_EQ(paintedColour(window->hwnd(), hwnd, WM_CTLCOLORSTATIC),
                          tintOf(d.tint).value_or(RGB(0, 0, 0)));
                break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, ControlTable, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

// The groups sit at their designed places too, so that the controls' frames line up with them.
TEST(ControlTable, GroupBoxesAtTheirPlaces) {
    TempDir programDir;
    auto window = openWindow(programDir);
    for (const GroupDesign& g : groupDesigns()) {
        SCOPED_TRACE(g.name);
        HWND hwnd = GetDlgItem(window->hwnd(), kGroupIdBase + static_cast<int>(g.group));
        ASSERT_NE(hwnd, nullptr);
        const Place want = clientPlace(g);
        const RECT got = placeInClient(hwnd);
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.right - got.left, want.width);
        EXPECT_EQ(got.bottom - got.top, want.height);
    }
    RECT client{};
    GetClientRect(window->hwnd(), &client);
    EXPECT_EQ(client.right, kClientWidth);
    EXPECT_EQ(client.bottom, kClientHeight);
    // The whole frame lies in the monitor's work area, even where the designed place would not fit.
    RECT frame{};
    GetWindowRect(window->hwnd(), &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window->hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    if (work.right - work.left >= frame.right - frame.left && work.bottom - work.top >= frame.bottom - frame.top) {
        EXPECT_GE(frame.left, work.left);
        EXPECT_GE(frame.top, work.top);
        EXPECT_LE(frame.right, work.right);
        EXPECT_LE(frame.bottom, work.bottom);
    } else {
        EXPECT_EQ(frame.left, work.left);
        EXPECT_EQ(frame.top, work.top);
    }
}

}  // namespace
}  // namespace parvex::test
