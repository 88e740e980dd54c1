#pragma once

// SDK and middleware build marker scans.
//
// Both scans see the image as 16 KiB windows: a marker belongs to the window that holds its first
// byte, every start position of a window is tried, and a marker is found wherever all of its
// bytes lie inside the image (also across a window end, and in the shorter window after the last
// whole one). After an SDK marker the search goes on at the byte after the magic's first byte;
// after a middleware marker at the third byte before where its module field ended, but never
// before the start of the next window.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "buildinfo/MarkerSearch.h"
#include "core/ImageFile.h"
#include "core/CheckState.h"
#include "core/WindowModel.h"

namespace parvex {

inline constexpr std::uint64_t kMarkerWindow = 16384;
// Bytes read after a window's end, for the fields of markers found in it.
inline constexpr std::uint64_t kMarkerWindowOverlap = 256;

// What the middleware scan leaves in the window.
struct MiddlewareScan {
    std::vector<MiddlewareRow> rows;
    std::optional<std::string> lastVendor;  // Edit12
    std::optional<std::string> lastModule;  // Edit10
    std::optional<std::string> nonFinalRow;  // Edit13; Final_Build becomes 0

    // One marker, in file order: its row (unless hidden), the working texts, the non-final flag.
    void add(std::string vendor, std::string module);
};

struct MarkerScanResult {
    std::vector<SdkRow> sdkRows;
    MiddlewareScan middleware;
};

enum class MarkerScanKinds { Sdk, Middleware, Both };

// One pass over the first imageSize bytes of the image, reading through the file's block in reads of
// blockSize bytes (kept between 512 bytes and the block's size; smaller reads only serve tests).
MarkerScanResult scanMarkers(ImageFile& file, std::uint64_t imageSize, MarkerPath path, MarkerScanKinds kinds,
                             std::size_t blockSize = ImageFile::kBlockSize);

// Adds the SDK rows of the first File_Size bytes. The same pass collects the middleware markers; they
// are returned for the ScanMiddlewareMarkers step, so the image is read once.
MiddlewareScan ScanSdkMarkers(const CheckState& st, ImageFile& file, WindowModel& m);
// Adds the middleware rows and writes Edit10, Edit12 and Edit13, from the markers ScanSdkMarkers
// collected or, given none, from a pass of its own. True on the non-final build marker, which
// clears Final_Build.
bool ScanMiddlewareMarkers(const CheckState& st, ImageFile& file, WindowModel& m,
                           std::optional<MiddlewareScan> collected);

// Puts a middleware scan's rows and working texts into the window, as ScanMiddlewareMarkers does;
// true on the non-final build marker.
bool publishMiddlewareScan(WindowModel& m, MiddlewareScan scan);

}  // namespace parvex
