#include "buildinfo/MarkerScan.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <limits>
#include <utility>

#include "buildinfo/MarkerText.h"
#include "core/RomHeader.h"

namespace parvex {
namespace {

constexpr std::string_view kNonFinalVendor = "VELTRANE";
constexpr std::string_view kNonFinalModule = "KELBO";
// The maker's own library modules, never listed.
constexpr std::array<std::string_view, 3> kHiddenModules{"TORVEN", "QTM", "RVN"};

// Each start position is searched with a little of the image before it, for the version word in
// front of a magic, and a little after it, for the fields of a middleware marker.
constexpr std::size_t kBlockBack = 64;
constexpr std::size_t kBlockAhead = 192;
constexpr std::size_t kSeam = kBlockBack + kBlockAhead;
constexpr std::size_t kSmallestBlock = 512;
constexpr std::size_t kVersionWord = 4;
static_assert(kBlockBack >= kVersionWord);
static_assert(kBlockAhead >= kMiddlewareOpening.size() + kFieldSpan);
static_assert(kBlockAhead >= kSdkMagic.size());

constexpr std::size_t kArm9Fields = 48;

// A window is static when the position after its read (its end plus the overlap, or the end of
// the image) lies inside the ARM9 module; before the module the difference wraps and is large.
bool windowIsStatic(std::uint64_t markerStart, std::uint64_t imageSize, Arm9Module arm9) {
    const std::uint64_t windowStart = markerStart / kMarkerWindow * kMarkerWindow;
    const std::uint64_t readEnd = std::min(windowStart + kMarkerWindow + kMarkerWindowOverlap, imageSize);
    return static_cast<std::uint32_t>(static_cast<std::uint32_t>(readEnd) - arm9.offset) < arm9.size;
}

}  // namespace

class MarkerCollector {
public:
    MarkerCollector(std::uint64_t imageSize, Arm9Module arm9, MarkerScanKinds kinds)
        : m_imageSize(imageSize),
          m_arm9(arm9),
          m_sdk(kinds != MarkerScanKinds::Middleware),
          m_middleware(kinds != MarkerScanKinds::Sdk) {}

    // block holds the image from blockStart on; bytes past its end are taken as zero.
    void take(MarkerHit hit, std::span<const std::uint8_t> block, std::uint64_t blockStart) {
        const std::uint64_t at = blockStart + hit.index;
        if (hit.kind == MarkerKind::Sdk) {
            if (m_sdk) takeSdk(at, block, hit.index);
        } else if (m_middleware) {
            takeMiddleware(at, block, hit.index);
        }
    }

    MarkerScanResult result() && { return std::move(m_result); }

private:
    void takeSdk(std::uint64_t at, std::span<const std::uint8_t> block, std::size_t index) {
        // Bytes before the image start (a magic at offset 0 to 3) count as zero.
        const auto before = [&](std::size_t back) -> std::uint8_t {
            return index >= back ? block[index - back] : std::uint8_t{0};
        };
        const auto step = static_cast<std::uint16_t>(before(4) | before(3) << 8);
        const bool isStatic = windowIsStatic(at, m_imageSize, m_arm9);
        m_result.sdkRows.push_back({sdkCaption(before(1), before(2), step, isStatic), isStatic});
    }

    void takeMiddleware(std::uint64_t at, std::span<const std::uint8_t> block, std::size_t index) {
        const std::uint64_t window = at / kMarkerWindow;
        // Inside the bytes an earlier marker of the same window consumed: the search passed it.
        if (window == m_resumeWindow && at < m_resumeAt) return;
        std::array<std::uint8_t, kFieldSpan> bytes{};
        const std::size_t fieldsAt = index + kMiddlewareOpening.size();
        if (fieldsAt < block.size()) {
            const std::size_t n = std::min(bytes.size(), block.size() - fieldsAt);
            std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(fieldsAt), n, bytes.begin());
        }
        MiddlewareFields fields = readMiddlewareFields(bytes);
        m_resumeWindow = window;
        m_resumeAt = at + kMiddlewareOpening.size() + fields.moduleEnd - 3;
        m_result.middleware.add(std::move(fields.vendor), std::move(fields.module));
    }

    std::uint64_t m_imageSize;
    Arm9Module m_arm9;
    bool m_sdk;
    bool m_middleware;
    std::uint64_t m_resumeWindow = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t m_resumeAt = 0;
    MarkerScanResult m_result;
};

void MiddlewareScan::add(std::string vendor, std::string module) {
    MiddlewareRow row{vendor, moduleNameText(module)};
    row.nonFinal = vendor == kNonFinalVendor && module == kNonFinalModule;
    if (row.nonFinal) nonFinalRow = row.module;
    const bool hidden = std::find(kHiddenModules.begin(), kHiddenModules.end(), module) != kHiddenModules.end();
    lastVendor = std::move(vendor);
    lastModule = std::move(module);
    if (!hidden) rows.push_back(std::move(row));
}

Arm9Module arm9ModuleOf(std::span<const std::uint8_t> head) {
    std::array<std::uint8_t, kArm9Fields> fields{};
    std::copy_n(head.begin(), std::min(head.size(), fields.size()), fields.begin());
    return {readLe32(fields, kArm9RomOffset), readLe32(fields, kArm9Size)};
}

// The ARM9 ROM offset (0x020) and ARM9 size (0x02C), from the image's first 48 bytes.
Arm9Module readArm9Module(ImageFile& file, std::uint64_t imageSize) {
    std::array<std::uint8_t, kArm9Fields> head{};
    file.readAt(0, head.data(), static_cast<std::size_t>(std::min<std::uint64_t>(head.size(), imageSize)));
    return arm9ModuleOf(head);
}

MarkerPassScan::MarkerPassScan(std::uint64_t imageSize, Arm9Module arm9, MarkerPath path, MarkerScanKinds kinds)
    : m_imageSize(imageSize), m_path(path), m_collector(std::make_unique<MarkerCollector>(imageSize, arm9, kinds)) {}

MarkerPassScan::~MarkerPassScan() = default;

void MarkerPassScan::search(std::span<const std::uint8_t> block, std::uint64_t blockStart, std::uint64_t to) {
    if (to <= m_next) return;
    auto at = static_cast<std::size_t>(m_next - blockStart);
    const auto end = static_cast<std::size_t>(to - blockStart);
    while (at < end) {
        std::size_t count = 0;
        at = findMarkers(m_path, block, at, end, m_hits, count);
        for (std::size_t i = 0; i < count; ++i) m_collector->take(m_hits[i], block, blockStart);
    }
    m_next = to;
}

void MarkerPassScan::take(std::uint64_t, std::span<const std::uint8_t> bytes) {
    const std::uint64_t chunkStart = m_have;
    m_have += bytes.size();
    const bool small = bytes.size() < 2 * kSeam;
    if (!m_carry.empty() || small) {
        // The positions near the last chunk's end, searched with this chunk's first bytes behind them.
        const std::size_t stitched = small ? bytes.size() : kSeam;
        m_carry.insert(m_carry.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(stitched));
        const std::uint64_t carryEnd = chunkStart + stitched;
        if (carryEnd > kBlockAhead) search(m_carry, m_carryStart, carryEnd - kBlockAhead);
        if (small) {
            const std::uint64_t keepFrom = std::max(m_carryStart, m_next >= kBlockBack ? m_next - kBlockBack : 0);
            m_carry.erase(m_carry.begin(), m_carry.begin() + static_cast<std::ptrdiff_t>(keepFrom - m_carryStart));
            m_carryStart = keepFrom;
            return;
        }
    }
    search(bytes, chunkStart, m_have - kBlockAhead);
    m_carryStart = m_next - kBlockBack;
    m_carry.assign(bytes.begin() + static_cast<std::ptrdiff_t>(m_carryStart - chunkStart), bytes.end());
}

void MarkerPassScan::end() {
    if (m_ended) return;
    m_ended = true;
    search(m_carry, m_carryStart, m_have);
    m_carry.clear();
}

MarkerScanResult MarkerPassScan::result() && {
    end();
    return std::move(*m_collector).result();
}

MarkerScanResult scanMarkers(ImageFile& file, std::uint64_t imageSize, MarkerPath path, MarkerScanKinds kinds,
                             std::size_t blockSize) {
    const Arm9Module arm9 = kinds == MarkerScanKinds::Middleware ? Arm9Module{} : readArm9Module(file, imageSize);
    MarkerPassScan scan(imageSize, arm9, path, kinds);
    feedPass(file, scan, std::max(blockSize, kSmallestBlock));
    return std::move(scan).result();
}

bool publishMiddlewareScan(WindowModel& m, const MiddlewareScan& scan) {
    std::ranges::copy(scan.rows, std::back_inserter(m.middlewareRows));
    if (scan.lastVendor) m.setText(Field::Edit12, *scan.lastVendor);
    if (scan.lastModule) m.setText(Field::Edit10, *scan.lastModule);
    if (!scan.nonFinalRow) return false;
    m.setText(Field::Edit13, *scan.nonFinalRow);
    return true;
}

}  // namespace parvex
