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
#include "run/Session.h"

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

// Adds the SDK rows. It collects the middleware markers in the same pass, and the
// ScanMiddlewareMarkers call that follows on the same session and file publishes them without
// reading the image again.
void ScanSdkMarkers(Session& s, ImageFile& file);
// Adds the middleware rows, writes Edit10, Edit12, Edit13 and clears Final_Build on the non-final
// build marker.
void ScanMiddlewareMarkers(Session& s, ImageFile& file);

// Puts a middleware scan's rows and working texts into the window, as ScanMiddlewareMarkers does.
void publishMiddlewareScan(Session& s, MiddlewareScan scan);

}  // namespace parvex
