// The window's toolkit-free pieces: the pictures, the dpi arithmetic and the clipboard's line ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include "layout/DesignPlace.h"
#include "win/Pictures.h"
#include "win/WinText.h"

namespace parvex::test {
namespace {

TEST(Pictures, EveryDesignPictureReads) {
    for (const ControlDesign& d : controlDesigns()) {
        if (!d.picture) continue;
        const auto pixels = designPicture(d.picture);
        ASSERT_TRUE(pixels) << d.picture;
        EXPECT_EQ(pixels->argb.size(), static_cast<std::size_t>(pixels->width * pixels->height));
    }
    EXPECT_FALSE(designPicture("no-such-picture"));
}

TEST(Pictures, ColoursAndTransparency) {
    const char* const lines[] = {"2 1 2 1", "  c None", "x c #12aBcD", "x "};
    const auto pixels = parseXpm(lines);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->argb, (std::vector<std::uint32_t>{0xFF12ABCDu, 0u}));
}

struct BrokenXpm {
    const char* name;
    std::vector<const char*> lines;
};

class BrokenPicture : public ::testing::TestWithParam<BrokenXpm> {};

TEST_P(BrokenPicture, IsRefusedRatherThanDrawnWrong) { EXPECT_FALSE(parseXpm(GetParam().lines)); }

INSTANTIATE_TEST_SUITE_P(Xpm, BrokenPicture,
                         ::testing::Values(BrokenXpm{"NoHeader", {}},
                                           BrokenXpm{"TwoCharactersPerPixel", {"1 1 1 2", "ab c None", "ab"}},
                                           BrokenXpm{"RowTooShort", {"2 1 1 1", "x c None", "x"}},
                                           BrokenXpm{"RowMissing", {"1 2 1 1", "x c None", "x"}},
                                           BrokenXpm{"UnknownPixel", {"1 1 1 1", "x c None", "y"}},
                                           BrokenXpm{"NamedColour", {"1 1 1 1", "x c red", "x"}},
                                           BrokenXpm{"BadHexDigit", {"1 1 1 1", "x c #12345G", "x"}},
                                           BrokenXpm{"HugeSize", {"100000 1 1 1", "x c None", "x"}}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(DesignPlace, GroupsNestAndDpiScalesEdges) {
    // GroupBox6 (368, 116) lies in GroupBox1 (8, 0): its controls are offset by both.
    const ControlDesign* version = nullptr;
    for (const ControlDesign& d : controlDesigns())
        if (d.field == Field::Version) version = &d;
    ASSERT_NE(version, nullptr);
    const Place p = clientPlace(*version);
    EXPECT_EQ(p.left, 8 + 368 + version->place.left);
    EXPECT_EQ(p.top, 0 + 116 + version->place.top);
    const Place same = scaleToDpi(p, 96);
    EXPECT_EQ(same.left, p.left);
    EXPECT_EQ(same.width, p.width);
    // 150 %: edges that touch at 96 dpi still touch, whatever the rounding of each size.
    const Place a = scaleToDpi(Place{5, 5, 27, 23}, 144), b = scaleToDpi(Place{32, 5, 27, 23}, 144);
    EXPECT_EQ(a.left + a.width, b.left);
    EXPECT_EQ(scaleToDpi(15, 120), 19);
    EXPECT_EQ(scaleToDpi(15, 192), 30);
}

TEST(Clipboard, LineFeedsBecomeCrLfOnce) {
    EXPECT_EQ(withCrLf(L"a\nb\r\nc\n"), L"a\r\nb\r\nc\r\n");
    EXPECT_EQ(withCrLf(L"\n"), L"\r\n");
    EXPECT_EQ(displayText("ok\xff"), L"ok\uFFFD");
}

}  // namespace
}  // namespace parvex::test

namespace parvex::test {
namespace {

// The manifest the window's programs carry is in effect: Common Controls 6, per-monitor dpi (v2)
// and UTF-8 as the process's ANSI code page.
TEST(Resources, TheManifestIsInEffect) {
    // The comctl32 the window's own import was bound to (another may be loaded beside it).
    HMODULE controls = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&InitCommonControlsEx)), &controls);
    ASSERT_NE(controls, nullptr);
    // With Common Controls 6 a button is comctl32's own, not user32's.
    HWND button = CreateWindowExW(0, L"Button", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HMODULE buttonModule = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(GetWindowLongPtrW(button, GWLP_WNDPROC)), &buttonModule);
    DestroyWindow(button);
    EXPECT_EQ(buttonModule, controls);
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()), DPI_AWARENESS_PER_MONITOR_AWARE);
    EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    EXPECT_NE(icon, nullptr);
}

}  // namespace
}  // namespace parvex::test
