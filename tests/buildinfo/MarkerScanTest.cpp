#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "MarkerImages.h"
#include "core/Findings.h"
#include "run/Steps.h"
#include "tools/SampleImage.h"

namespace parvex {
namespace {

using test::Bytes;
using test::middlewareMarker;
using test::put;
using test::putLe32;
using test::scanOutcome;
using test::sdkMarker;

constexpr std::size_t kWindow = 16384;

Bytes imageWithArm9(std::size_t size, std::uint32_t arm9Offset, std::uint32_t arm9Size) {
    Bytes image(size, 0x00);
    putLe32(image, 0x020, arm9Offset);
    putLe32(image, 0x02C, arm9Size);
    return image;
}

struct StaticRow {
    const char* fault;
    std::uint32_t arm9Offset;
    std::uint32_t arm9Size;
    std::size_t magicAt;
    std::size_t imageSize;
    bool isStatic;
};

void PrintTo(const StaticRow& row, std::ostream* os) { *os << row.fault; }

class StaticVerdictTable : public testing::TestWithParam<StaticRow> {};

TEST_P(StaticVerdictTable, Verdict) {
    const StaticRow& row = GetParam();
    Bytes image = imageWithArm9(row.imageSize, row.arm9Offset, row.arm9Size);
    put(image, row.magicAt - 4, sdkMarker(4, 2, 30000));
    const auto out = scanOutcome(image);
    ASSERT_EQ(out.sdk.size(), 1u);
    EXPECT_EQ(out.sdk[0], row.isStatic ? "4 . 2  RELEASE [STATIC MODULE]|static" : "4 . 2  RELEASE");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StaticVerdictTable,
    testing::Values(
        // The first window's read ends at 16640 = 0x4000 + 0x100.
        StaticRow{"ReadEndJustInsideModuleMissed", 0x4000, 0x101, 0x1000, 4 * kWindow, true},
        StaticRow{"ReadEndAtModuleEndTakenAsInside", 0x4000, 0x100, 0x1000, 4 * kWindow, false},
        StaticRow{"ReadEndAtModuleStartMissed", 0x4100, 1, 0x1000, 4 * kWindow, true},
        StaticRow{"PositionBeforeModuleTakenAsInside", 0x4101, 0x100000, 0x1000, 4 * kWindow, false},
        StaticRow{"MarkerPositionUsedInsteadOfReadEnd", 0x1000, 0x1000, 0x1800, 4 * kWindow, false},
        // A magic across the window end still belongs to the window of its first byte.
        StaticRow{"StraddlingMagicJudgedByNextWindow", 0x4000, 0x101, kWindow - 1, 4 * kWindow, true},
        StaticRow{"NextWindowJudgedByFirstWindow", 0x4000, 0x101, kWindow, 4 * kWindow, false},
        // The window after the last whole one ends at the end of the file.
        StaticRow{"TailWindowReadEndNotFileEnd", 2 * kWindow, 101, 2 * kWindow + 10, 2 * kWindow + 100, true},
        StaticRow{"TailWindowReadEndPastFileEnd", 2 * kWindow, 100, 2 * kWindow + 10, 2 * kWindow + 100, false},
        StaticRow{"ShortLastWholeWindowReadEndWrong", 2 * kWindow, 201, kWindow + 5, 2 * kWindow + 200, true}),
    [](const auto& param) { return std::string(param.param.fault); });

TEST(SdkMarkerScan, AllMarkersOfOneWindowShareItsVerdict) {
    Bytes image = imageWithArm9(3 * kWindow, 0x4000, 0x101);
    put(image, 0x10, sdkMarker(1, 0, 0));
    put(image, kWindow - 20, sdkMarker(2, 0, 0));
    put(image, kWindow + 4, sdkMarker(3, 0, 0));
    const auto out = scanOutcome(image);
    EXPECT_EQ(out.sdk, (std::vector<std::string>{"1 . 0  0 [STATIC MODULE]|static", "2 . 0  0 [STATIC MODULE]|static",
                                                 "3 . 0  0"}));
}

// Every start position around the window ends finds its marker exactly once, across the end too.
TEST(SdkMarkerScan, MagicOnEveryPositionAroundWindowEndsFoundOnce) {
    for (std::size_t k = 1; k <= 2; ++k) {
        for (std::size_t at = k * kWindow - 12; at <= k * kWindow + 8; ++at) {
            Bytes image(3 * kWindow + 50, 0x11);
            put(image, at - 4, sdkMarker(5, 1, 30001));
            const auto out = scanOutcome(image);
            ASSERT_EQ(out.sdk, std::vector<std::string>{"5 . 1  RELEASE  plus 1"}) << "magic at " << at;
        }
    }
}

TEST(MiddlewareMarkerScan, OpeningOnEveryPositionAroundWindowEndsFoundOnce) {
    for (std::size_t k = 1; k <= 2; ++k) {
        for (std::size_t at = k * kWindow - 12; at <= k * kWindow + 8; ++at) {
            Bytes image(3 * kWindow + 50, 0x11);
            put(image, at, middlewareMarker("ACME", "SOUNDLIB"));
            const auto out = scanOutcome(image);
            ASSERT_EQ(out.middleware, std::vector<std::string>{"ACME|SOUNDLIB"}) << "opening at " << at;
        }
    }
}

TEST(MiddlewareMarkerScan, NonFinalMarkerAcrossWindowEndClearsFlag) {
    Bytes image(2 * kWindow, 0x00);
    put(image, kWindow - 2, middlewareMarker("VELTRANE", "KELBO"));
    const auto out = scanOutcome(image);
    EXPECT_EQ(out.middleware, std::vector<std::string>{"VELTRANE|KELBO"});
    EXPECT_EQ(out.finalBuild, 0);
}

TEST(MarkerScan, TailAfterLastWholeWindowIsSearched) {
    Bytes image(2 * kWindow + 300, 0x00);
    put(image, 2 * kWindow + 10, sdkMarker(4, 0, 20000));
    put(image, 2 * kWindow + 100, middlewareMarker("VELTRANE", "KELBO"));
    const auto out = scanOutcome(image);
    EXPECT_EQ(out.sdk, std::vector<std::string>{"4 . 0  FC "});
    EXPECT_EQ(out.middleware, std::vector<std::string>{"VELTRANE|KELBO"});
    EXPECT_EQ(out.finalBuild, 0);
}

TEST(MarkerScan, ImageSmallerThanOneWindowIsSearched) {
    Bytes image(200, 0x00);
    put(image, 60, sdkMarker(3, 1, 20000));
    put(image, 100, middlewareMarker("VELTRANE", "KELBO"));
    const auto out = scanOutcome(image);
    EXPECT_EQ(out.sdk, std::vector<std::string>{"3 . 1  FC "});
    EXPECT_EQ(out.finalBuild, 0);
}

TEST(MarkerScan, EmptyImageLeavesWindowAlone) {
    const auto out = scanOutcome({});
    EXPECT_TRUE(out.sdk.empty());
    EXPECT_TRUE(out.middleware.empty());
    EXPECT_EQ(out.edit10, "earlier module");
    EXPECT_EQ(out.edit12, "earlier vendor");
    EXPECT_EQ(out.edit13, "earlier row");
    EXPECT_EQ(out.finalBuild, 1);
}

TEST(MarkerScan, MarkerCutByEndOfFileNotFound) {
    Bytes image(kWindow + 100, 0x00);
    put(image, image.size() - 7, Bytes(kSdkMagic.begin(), kSdkMagic.begin() + 7));
    const auto sdkCut = scanOutcome(image);
    EXPECT_TRUE(sdkCut.sdk.empty());
    image.resize(kWindow + 100);
    put(image, image.size() - 4, test::text("[SDK"));
    EXPECT_TRUE(scanOutcome(image).middleware.empty());
}

TEST(MarkerScan, FieldsPastEndOfFileEndAtIt) {
    Bytes image(kWindow, 0x00);
    put(image, kWindow - 9, test::text("[SDK+VEND"));
    const auto out = scanOutcome(image);
    EXPECT_EQ(out.middleware, std::vector<std::string>{"VEND|"});
    EXPECT_EQ(out.edit12, "VEND");
    EXPECT_EQ(out.edit10, "");
}

TEST(SdkMarkerScan, VersionWordBeforeImageStartCountsAsZero) {
    for (std::size_t at = 0; at < 4; ++at) {
        Bytes image(64, 0x00);
        put(image, 0, {0x33, 0x02, 0x01});
        put(image, at, Bytes(kSdkMagic.begin(), kSdkMagic.end()));
        const std::vector<std::vector<std::string>> expected = {
            {"0 . 0  0"}, {"33 . 0  0"}, {"2 . 33  0"}, {"1 . 2  PR 30  plus 56"}};
        EXPECT_EQ(scanOutcome(image).sdk, expected[at]) << "magic at " << at;
    }
}

TEST(MiddlewareMarkerScan, CutVendorSkipsOneByteIntoModule) {
    Bytes image(kWindow, 0x00);
    put(image, 500, middlewareMarker("ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJ", "X"));
    const auto out = scanOutcome(image);
    EXPECT_EQ(out.middleware, std::vector<std::string>{"ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHI|ABCDEFGHIJ:X"});
}

TEST(MiddlewareMarkerScan, UnclosedModuleCutAt59) {
    Bytes image(kWindow, 0x00);
    put(image, 500, test::text("[SDK+ACME:" + std::string(80, 'M')));
    const auto out = scanOutcome(image);
    EXPECT_EQ(out.middleware, std::vector<std::string>{"ACME|" + std::string(59, 'M')});
    EXPECT_EQ(out.edit10, std::string(59, 'M'));
}

// The search goes on three bytes before the module's end: an opening inside the consumed fields is
// passed, one that starts there is found.
TEST(MiddlewareMarkerScan, OpeningsInsideConsumedFieldsFollowResumePosition) {
    Bytes image(kWindow, 0x00);
    put(image, 100, test::text("[SDK+A:[SDK+B:C]"));
    EXPECT_EQ(scanOutcome(image).middleware, std::vector<std::string>{"A|[SDK+B:C"});
    Bytes cut(kWindow, 0x00);
    put(cut, 100, test::text("[SDK+A:" + std::string(56, 'M') + "[SDK+B:C]"));
    EXPECT_EQ(scanOutcome(cut).middleware, (std::vector<std::string>{"A|" + std::string(56, 'M') + "[SD", "B|C"}));
}

// The next window starts afresh, so an opening inside fields that run into it is found there.
TEST(MiddlewareMarkerScan, NextWindowStartsAtItsOwnStart) {
    Bytes image(2 * kWindow, 0x00);
    put(image, kWindow - 10, test::text("[SDK+A:12345[SDK+B:C]"));
    EXPECT_EQ(scanOutcome(image).middleware, (std::vector<std::string>{"A|12345[SDK+B:C", "B|C"}));
}

struct HiddenRow {
    const char* fault;
    const char* module;
    bool listed;
};

void PrintTo(const HiddenRow& row, std::ostream* os) { *os << row.fault; }

class HiddenModuleTable : public testing::TestWithParam<HiddenRow> {};

TEST_P(HiddenModuleTable, Listing) {
    const HiddenRow& row = GetParam();
    Bytes image(kWindow, 0x00);
    put(image, 1000, middlewareMarker("ACME", "SOUNDLIB"));
    put(image, 2000, middlewareMarker("ACME", row.module));
    const auto out = scanOutcome(image);
    std::vector<std::string> expected{"ACME|SOUNDLIB"};
    if (row.listed) expected.push_back(std::string("ACME|") + row.module);
    EXPECT_EQ(out.middleware, expected);
    EXPECT_EQ(out.edit10, row.module);
    EXPECT_EQ(out.edit12, "ACME");
}

INSTANTIATE_TEST_SUITE_P(Rows, HiddenModuleTable,
                         testing::Values(HiddenRow{"TorvenListed", "TORVEN", false},
                                         HiddenRow{"QtmListed", "QTM", false}, HiddenRow{"RvnListed", "RVN", false},
                                         HiddenRow{"LowerCaseHidden", "torven", true},
                                         HiddenRow{"PrefixHidden", "QTMX", true},
                                         HiddenRow{"TrailingBlankHidden", "RVN ", true}),
                         [](const auto& param) { return std::string(param.param.fault); });

TEST(MiddlewareMarkerScan, RowsInFileOrderNothingMerged) {
    Bytes image(3 * kWindow, 0x00);
    put(image, 300, middlewareMarker("B", "ONE"));
    put(image, 900, middlewareMarker("A", "TWO"));
    put(image, kWindow + 5, middlewareMarker("B", "ONE"));
    put(image, 2 * kWindow + 7, sdkMarker(2, 0, 0));
    put(image, 400, sdkMarker(2, 0, 0));
    const auto out = scanOutcome(image);
    EXPECT_EQ(out.middleware, (std::vector<std::string>{"B|ONE", "A|TWO", "B|ONE"}));
    EXPECT_EQ(out.sdk, (std::vector<std::string>{"2 . 0  0", "2 . 0  0"}));
}

struct NonFinalRow {
    const char* fault;
    const char* vendor;
    const char* module;
    bool nonFinal;
    const char* moduleName;
};

void PrintTo(const NonFinalRow& row, std::ostream* os) { *os << row.fault; }

class NonFinalTable : public testing::TestWithParam<NonFinalRow> {};

TEST_P(NonFinalTable, FlagAndColour) {
    const NonFinalRow& row = GetParam();
    test::TempDir dir;
    Session s{dir.path().string()};
    Bytes image(kWindow, 0x00);
    put(image, 4000, middlewareMarker(row.vendor, row.module));
    s.fileName = dir.write("image.srl", image);
    s.state.File_Size = image.size();
    s.state.Final_Build = 1;
    auto file = ImageFile::open(s.fileName);
    ASSERT_TRUE(file);
    const ImageRecord record = readImage(*file);
    runStep(s, Step::ScanSdkMarkers, record);
    runStep(s, Step::ScanMiddlewareMarkers, record);
    ASSERT_EQ(s.model.middlewareRows.size(), 1u);
    const MiddlewareRow& r = s.model.middlewareRows[0];
    EXPECT_EQ(r.module, row.moduleName);
    EXPECT_EQ(s.state.Final_Build, row.nonFinal ? 0 : 1);
    EXPECT_EQ(middlewareRowColour(r), row.nonFinal ? std::optional<Colour>(Colour::Red) : std::nullopt);
    EXPECT_EQ(s.model.text(Field::Edit13), row.nonFinal ? row.moduleName : "");
}

INSTANTIATE_TEST_SUITE_P(Rows, NonFinalTable,
                         testing::Values(NonFinalRow{"NonFinalMarkerMissed", "VELTRANE", "KELBO", true, "KELBO"},
                                         NonFinalRow{"VendorCaseIgnored", "Veltrane", "KELBO", false, "KELBO"},
                                         NonFinalRow{"ModuleCaseIgnored", "VELTRANE", "kelbo", false, "kelbo"},
                                         NonFinalRow{"VendorPrefixAccepted", "VELTRANEX", "KELBO", false, "KELBO"},
                                         NonFinalRow{"ModulePrefixAccepted", "VELTRANE", "KELBO2", false, "KELBO2"},
                                         NonFinalRow{"OtherVendorAccepted", "ACME", "KELBO", false, "KELBO"},
                                         NonFinalRow{"WirelessRowOfMakerRed", "VELTRANE", "Kiro1.2.20000.0830", false,
                                                     "Kiro 1.2 FC "},
                                         NonFinalRow{"EmptyModuleOfMakerRed", "VELTRANE", "", false, ""}),
                         [](const auto& param) { return std::string(param.param.fault); });

TEST(MiddlewareMarkerScan, ZeroByteEndsComparedText) {
    Bytes image(kWindow, 0x00);
    put(image, 10, test::text(std::string("[SDK+VELTRANE\0x:KELBO\0y]", 24)));
    const auto out = scanOutcome(image);
    EXPECT_EQ(out.middleware, std::vector<std::string>{"VELTRANE|KELBO"});
    EXPECT_EQ(out.finalBuild, 0);
}

TEST(MarkerRowColour, StaticSdkRowBlue) {
    EXPECT_EQ(sdkRowColour({"4 . 2  RELEASE [STATIC MODULE]", true}), Colour::Blue);
    EXPECT_EQ(sdkRowColour({"4 . 2  RELEASE", false}), std::nullopt);
}

// Only the rows of the run's non-final marker are red, even with the maker's vendor elsewhere.
TEST(MarkerRowColour, OnlyNonFinalRowsRed) {
    Bytes image(kWindow, 0x00);
    put(image, 100, middlewareMarker("VELTRANE", "SOUNDLIB"));
    put(image, 200, middlewareMarker("VELTRANE", "KELBO"));
    put(image, 300, middlewareMarker("ACME", "KELBO"));
    test::TempDir dir;
    Session s{dir.path().string()};
    s.fileName = dir.write("image.srl", image);
    s.state.File_Size = image.size();
    auto file = ImageFile::open(s.fileName);
    ASSERT_TRUE(file);
    const ImageRecord record = readImage(*file);
    runStep(s, Step::ScanSdkMarkers, record);
    runStep(s, Step::ScanMiddlewareMarkers, record);
    ASSERT_EQ(s.model.middlewareRows.size(), 3u);
    EXPECT_EQ(middlewareRowColour(s.model.middlewareRows[0]), std::nullopt);
    EXPECT_EQ(middlewareRowColour(s.model.middlewareRows[1]), Colour::Red);
    EXPECT_EQ(middlewareRowColour(s.model.middlewareRows[2]), std::nullopt);
}

// Each scan has only its own effect, whether or not the other ran before it.
TEST(MarkerScan, EachScanHasOnlyItsOwnEffect) {
    Bytes image(2 * kWindow, 0x00);
    put(image, 100, sdkMarker(4, 2, 30000));
    put(image, 300, middlewareMarker("VELTRANE", "KELBO"));
    test::TempDir dir;
    const std::string path = dir.write("image.srl", image);

    Session sdkOnly{dir.path().string()};
    sdkOnly.fileName = path;
    test::prepare(sdkOnly, image.size());
    auto file = ImageFile::open(path);
    ASSERT_TRUE(file);
    const ImageRecord record = readImage(*file);
    runStep(sdkOnly, Step::ScanSdkMarkers, record);
    const auto afterSdk = test::outcomeOf(sdkOnly);
    EXPECT_EQ(afterSdk.sdk, std::vector<std::string>{"4 . 2  RELEASE"});
    EXPECT_TRUE(afterSdk.middleware.empty());
    EXPECT_EQ(afterSdk.edit10, "earlier module");
    EXPECT_EQ(afterSdk.finalBuild, 1);

    // Another image's record shows only its own markers.
    Bytes other(kWindow, 0x00);
    put(other, 50, middlewareMarker("ACME", "SOUNDLIB"));
    Session second{dir.path().string()};
    second.fileName = dir.write("other.srl", other);
    test::prepare(second, other.size());
    auto otherFile = ImageFile::open(second.fileName);
    ASSERT_TRUE(otherFile);
    runStep(second, Step::ScanMiddlewareMarkers, readImage(*otherFile));
    const auto afterOther = test::outcomeOf(second);
    EXPECT_TRUE(afterOther.sdk.empty());
    EXPECT_EQ(afterOther.middleware, std::vector<std::string>{"ACME|SOUNDLIB"});
    EXPECT_EQ(afterOther.finalBuild, 1);

    Session mwOnly{dir.path().string()};
    mwOnly.fileName = path;
    test::prepare(mwOnly, image.size());
    runStep(mwOnly, Step::ScanMiddlewareMarkers, record);
    const auto afterMw = test::outcomeOf(mwOnly);
    EXPECT_TRUE(afterMw.sdk.empty());
    EXPECT_EQ(afterMw.middleware, std::vector<std::string>{"VELTRANE|KELBO"});
    EXPECT_EQ(afterMw.finalBuild, 0);
}

TEST(MarkerScan, WholeRunReportsNonFinalBuildLast) {
    test::TempDir dir;
    const Bytes clean = buildSampleImage(sampleOptionsForName("QPVXJ00.SRL"));
    Session before{dir.path().string()};
    before.load(dir.write("QPVXJ00.SRL", clean));
    ASSERT_EQ(before.state.Final_Build, 1);

    Bytes image = clean;
    put(image, 0x200000, middlewareMarker("VELTRANE", "KELBO"));
    put(image, 0x200100, sdkMarker(4, 2, 30000));
    Session s{dir.path().string()};
    s.load(dir.write("QPVXJ00.SRL", image));
    ASSERT_FALSE(s.model.messages.lines.empty());
    EXPECT_EQ(s.model.messages.lines.back().text, secondCopy(Msg::NotFinalRom, s.model.language()));
    EXPECT_EQ(s.model.middlewareRows.size(), before.model.middlewareRows.size() + 1);
    EXPECT_EQ(s.model.sdkRows.size(), before.model.sdkRows.size() + 1);
    EXPECT_EQ(s.state.Final_Build, 0);
}

}  // namespace
}  // namespace parvex
