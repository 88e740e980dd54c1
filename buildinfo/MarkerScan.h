#pragma once

// SDK and middleware build marker scans.
//
// Both scans see the image as 16 KiB windows: a marker belongs to the window that holds its first
// byte, every start position of a window is tried, and a marker is found wherever all of its
// bytes lie inside the image (also across a window end, and in the shorter window after the last
// whole one). After an SDK marker the search goes on at the byte after the magic's first byte;
// after a middleware marker at the third byte before where its module field ended, but never
// before the start of the next window.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "buildinfo/MarkerSearch.h"
#include "core/CheckState.h"
#include "core/ImageFile.h"
#include "core/PassFeed.h"
#include "core/WindowModel.h"

namespace parvex {

inline constexpr std::uint64_t kMarkerWindow = 16384;
// Bytes read after a window's end, for the fields of markers found in it.
inline constexpr std::uint64_t kMarkerWindowOverlap = 256;

// What the middleware scan leaves in the window.
struct MiddlewareScan {
    std::vector<MiddlewareRow> rows;
    std::optional<std::string> lastVendor;   // Edit12
    std::optional<std::string> lastModule;   // Edit10
    std::optional<std::string> nonFinalRow;  // Edit13; Final_Build becomes 0

    // One marker, in file order: its row (unless hidden), the working texts, the non-final flag.
    void add(std::string vendor, std::string module);
};

struct MarkerScanResult {
    std::vector<SdkRow> sdkRows;
    MiddlewareScan middleware;
};

enum class MarkerScanKinds { Sdk, Middleware, Both };

// The ARM9 ROM offset (0x020) and ARM9 size (0x02C), which decide the static verdict.
struct Arm9Module {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

// Taken from the image's first bytes; words the header does not hold whole count as zero bytes.
Arm9Module arm9ModuleOf(std::span<const std::uint8_t> head);
// The same read from the image, as the scans see it (no more than imageSize bytes).
Arm9Module readArm9Module(ImageFile& file, std::uint64_t imageSize);

class MarkerCollector;

// Both marker scans fed by a pass over the image, chunk by chunk in any sizes: each chunk is
// searched where it lies, and only the few hundred bytes around a chunk's end are stitched to
// the next chunk's start, so markers across a chunk end are found like any other.
class MarkerPassScan : public PassConsumer {
public:
    MarkerPassScan(std::uint64_t imageSize, Arm9Module arm9, MarkerPath path, MarkerScanKinds kinds);
    ~MarkerPassScan() override;

    ByteRange wants() const override { return {m_have, m_ended ? m_have : m_imageSize}; }
    void take(std::uint64_t at, std::span<const std::uint8_t> bytes) override;
    // Searches the last bytes: the image ends where the bytes taken end.
    void end() override;

    MarkerScanResult result() &&;

private:
    // Searches start positions from m_next up to before to, in block (which holds the image from
    // blockStart on).
    void search(std::span<const std::uint8_t> block, std::uint64_t blockStart, std::uint64_t to);

    std::uint64_t m_imageSize;
    MarkerPath m_path;
    std::unique_ptr<MarkerCollector> m_collector;
    std::uint64_t m_have = 0;  // bytes taken so far
    std::uint64_t m_next = 0;  // next start position to search
    bool m_ended = false;
    // The image's bytes from m_carryStart to m_have, for the positions near a chunk's end.
    std::vector<std::uint8_t> m_carry;
    std::uint64_t m_carryStart = 0;
    std::array<MarkerHit, 1024> m_hits;
};

// One pass over the first imageSize bytes of the image, in chunks of blockSize bytes (at least 512;
// other sizes than the default only serve tests).
MarkerScanResult scanMarkers(ImageFile& file, std::uint64_t imageSize, MarkerPath path, MarkerScanKinds kinds,
                             std::size_t blockSize = ImageFile::kBlockSize);

// Puts a middleware scan's rows and working texts into the window, as ScanMiddlewareMarkers does;
// true on the non-final build marker.
bool publishMiddlewareScan(WindowModel& m, const MiddlewareScan& scan);

}  // namespace parvex
