#include "run/ImagePass.h"

#include <algorithm>

#include "checks/CapacityChecks.h"
#include "core/PassFeed.h"

namespace parvex {

ImagePassResult runImagePass(ImageFile& file, const ImagePassRequest& request) {
    RegionCapture securityData(kSecurityDataOffset, kSecurityDataSize);
    RegionCapture segment3(kSegment3Offset, kSegment3Size);
    RegionCapture secureArea(kSecureAreaOffset, kSecureAreaSize);
    ReservedTailScan tail(request.capacityCode, request.fileSize);
    WastedCapacityScan padding(request.capacityCode, request.fileSize);
    MarkerPassScan markers(request.fileSize, request.arm9, request.markerPath, MarkerScanKinds::Both);
    std::optional<FileCrcScan> crc;
    if (request.fileCrc) crc.emplace(request.ccittPath);

    std::vector<PassConsumer*> consumers{&securityData, &segment3, &secureArea, &tail, &padding, &markers};
    if (crc) consumers.push_back(&*crc);
    feedPass(file, consumers, request.chunkSize);

    ImagePassResult result;
    result.tailUsed = tail.tailUsed();
    result.halfPadded = padding.halfPadded();
    std::ranges::copy(securityData.bytes(), result.securityData.begin());
    std::ranges::copy(secureArea.bytes(), result.secureArea.begin());
    result.segment3.assign(segment3.supplied().begin(), segment3.supplied().end());
    result.markers = std::move(markers).result();
    if (crc) result.fileCrc = crc->value();
    return result;
}

namespace {

// The line read as the system call text: zero bytes are kept, a line feed ends it, a NUL follows.
void readSyscallText(ImageFile& file, std::uint64_t offset, std::array<std::uint8_t, 33>& out) {
    out.fill(0);
    const std::size_t got = file.readAt(offset, out.data(), 32);
    const auto lf = std::find(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(got), 0x0A);
    if (lf != out.begin() + static_cast<std::ptrdiff_t>(got)) std::fill(lf + 1, out.end(), 0);
}

}  // namespace

ImageRecord readImage(ImageFile& file, bool fileCrc) {
    ImageRecord r;
    r.fileSize = file.size();
    file.readAt(0, r.header.data(), r.header.size());
    readSyscallText(file, readLe32(r.header, kArm9RomOffset), r.syscallText);
    // The ARM9 words as the scans see them: only what the image holds of the header counts.
    const std::span<const std::uint8_t> header(r.header);
    const auto held = static_cast<std::size_t>(std::min<std::uint64_t>(header.size(), r.fileSize));
    r.pass = runImagePass(file, {.capacityCode = r.header[kDeviceCapacity],
                                 .fileSize = r.fileSize,
                                 .arm9 = arm9ModuleOf(header.first(held)),
                                 .fileCrc = fileCrc});
    return r;
}

}  // namespace parvex
