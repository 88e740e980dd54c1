// The window's place and size on screens of every size, and paths shortened for the recent menu.
#include <gtest/gtest.h>

#include "layout/FormDesign.h"
#include "layout/Placement.h"

namespace parvex {
namespace {

// A frame as openbox draws it: a 22-pixel title bar and 1-pixel borders.
constexpr FrameMargins kFrame{1, 22, 1, 1};
constexpr int kBar = 14;

struct PlaceRow {
    const char* name;
    ScreenRect available;
    FrameMargins frame;
    WindowPlacement expected;
};

const PlaceRow kPlaceRows[] = {
    {"1920x1080: designed place and size", {0, 0, 1920, 1080}, kFrame, {{198, 110}, 817, 731, false}},
    {"1366x768: moved up, design size", {0, 0, 1366, 768}, kFrame, {{198, 14}, 817, 731, false}},
    {"1024x768: moved up, design size", {0, 0, 1024, 768}, kFrame, {{198, 14}, 817, 731, false}},
    {"exactly the frame's height", {0, 0, 1024, 731 + 23}, kFrame, {{198, 0}, 817, 731, false}},
    {"one pixel short: scrolls down, bar beside", {0, 0, 1024, 731 + 22}, kFrame, {{191, 0}, 817 + kBar, 730, true}},
    {"800x600: both ways", {0, 0, 800, 600}, kFrame, {{0, 0}, 798, 577, true}},
    {"1024x600 with a panel at the top", {0, 32, 1024, 568}, kFrame, {{191, 32}, 817 + kBar, 545, true}},
    {"scale factor 2 on 1366x768", {0, 0, 683, 384}, kFrame, {{0, 0}, 681, 361, true}},
    {"second screen to the left", {-1280, 0, 1280, 1024}, kFrame, {{-819, 110}, 817, 731, false}},
};

class PlaceWindow : public testing::TestWithParam<PlaceRow> {};

TEST_P(PlaceWindow, KeepsTheWholeFrameInsideTheArea) {
    const PlaceRow& row = GetParam();
    const WindowPlacement got =
        placeWindow(row.available, row.frame, kClientWidth, kClientHeight, {kWindowLeft, kWindowTop}, kBar);
    EXPECT_EQ(got.frame.x, row.expected.frame.x);
    EXPECT_EQ(got.frame.y, row.expected.frame.y);
    EXPECT_EQ(got.clientWidth, row.expected.clientWidth);
    EXPECT_EQ(got.clientHeight, row.expected.clientHeight);
    EXPECT_EQ(got.scrolls, row.expected.scrolls);
    const ScreenRect& a = row.available;
    EXPECT_GE(got.frame.x, a.left);
    EXPECT_GE(got.frame.y, a.top);
    EXPECT_LE(got.frame.x + got.clientWidth + row.frame.left + row.frame.right, a.left + a.width);
    EXPECT_LE(got.frame.y + got.clientHeight + row.frame.top + row.frame.bottom, a.top + a.height);
}

INSTANTIATE_TEST_SUITE_P(Screens, PlaceWindow, testing::ValuesIn(kPlaceRows), [](const auto& row) {
    std::string name = row.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

struct FrameRow {
    const char* name;
    ScreenRect available;
    ScreenPoint placed;
};

// A frame of 833 x 779 around the design.
const FrameRow kFrameRows[] = {
    {"fits: designed place", {0, 0, 1920, 1080}, {198, 110}},
    {"fits exactly at the bottom right", {0, 0, 198 + 833, 110 + 779}, {198, 110}},
    {"one pixel too low: moved up", {0, 0, 1280, 110 + 778}, {198, 109}},
    {"1280x1024 at 125 %: moved up", {0, 0, 1024, 819}, {191, 40}},
    {"panel at the top: kept below it", {0, 120, 1280, 904}, {198, 120}},
    {"second screen to the right", {1920, 0, 1280, 800}, {1920, 21}},
    {"smaller than the frame: top-left", {0, 0, 800, 600}, {0, 0}},
};

TEST(PlaceFrame, GoesToTheNearestPlaceThatFits) {
    for (const FrameRow& row : kFrameRows) {
        const ScreenPoint at = placeFrame(row.available, 833, 779, {kWindowLeft, kWindowTop});
        EXPECT_EQ(at.x, row.placed.x) << row.name;
        EXPECT_EQ(at.y, row.placed.y) << row.name;
    }
}

struct ShortenRow {
    const char* path;
    std::size_t max;
    const char* expected;
};

const ShortenRow kShortenRows[] = {
    {"/home/ann/QPVXJ00.SRL", 40, "/home/ann/QPVXJ00.SRL"},
    {"/home/ann/roms/2026/submissions/final/QPVXJ00.SRL", 30, "/home/ann/roms/…/QPVXJ00.SRL"},
    {"/home/ann/roms/2026/submissions/final/QPVXJ00.SRL", 20, "/home/…/QPVXJ00.SRL"},
    {"/home/ann/ゲーム/提出用/最終版/QPVXJ00.SRL", 24, "/home/ann/…/QPVXJ00.SRL"},
    {"/ゲーム/提出用/最終版/テスト/イメージ.SRL", 13, "/…/イメージ.SRL"},
    {"C:\\roms\\2026\\final\\QPVXJ00.SRL", 22, "C:\\roms\\…\\QPVXJ00.SRL"},
    // A name too long for the room is cut itself, half on each side.
    {"/roms/QPVXJ00_with_a_very_long_name.SRL", 11, "/roms…e.SRL"},
    {"/a/b", 1, "…"},
    {"/a/b", 0, ""},
};

class ShortenPath : public testing::TestWithParam<ShortenRow> {};

TEST_P(ShortenPath, CutsInTheMiddleAndKeepsTheName) {
    const ShortenRow& row = GetParam();
    EXPECT_EQ(shortenPathMiddle(row.path, row.max), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, ShortenPath, testing::ValuesIn(kShortenRows));

TEST(PushRecent, PutsThePathFirstOnceAndKeepsAtMostMax) {
    const std::vector<std::string> start{"a", "b", "c"};
    EXPECT_EQ(pushRecent(start, "b", 3), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(pushRecent(start, "d", 3), (std::vector<std::string>{"d", "a", "b"}));
}

}  // namespace
}  // namespace parvex
