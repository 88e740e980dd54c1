#include "run/ImagePass.h"

#include <algorithm>

#include "checks/CapacityChecks.h"
#include "core/PassFeed.h"

namespace parvex {

ImagePassResult runImagePass(ImageFile& file, const ImagePassRequest& request) {
    RegionCapture logo(kLogoData, kLogoSize);
    RegionCapture securityData(kSecurityDataOffset, kSecurityDataSize);
    RegionCapture segment3(kSegment3Offset, kSegment3Size);
    RegionCapture secureArea(kSecureAreaOffset, kSecureAreaSize);
    ReservedTailScan tail(request.capacityCode, request.fileSize);
    WastedCapacityScan padding(request.capacityCode, request.fileSize);
    MarkerPassScan markers(request.fileSize, request.arm9, request.markerPath, MarkerScanKinds::Both);
    std::optional<FileCrcScan> crc;
    if (request.fileCrc) crc.emplace(request.ccittPath);

    std::vector<PassConsumer*> consumers{&logo, &securityData, &segment3, &secureArea, &tail, &padding, &markers};
    if (crc) consumers.push_back(&*crc);
    feedPass(file, consumers, request.chunkSize);

    ImagePassResult result;
    result.tailUsed = tail.tailUsed();
    result.halfPadded = padding.halfPadded();
    std::ranges::copy(logo.bytes(), result.logo.begin());
    std::ranges::copy(securityData.bytes(), result.securityData.begin());
    std::ranges::copy(secureArea.bytes(), result.secureArea.begin());
    result.segment3.assign(segment3.supplied().begin(), segment3.supplied().end());
    result.markers = std::move(markers).result();
    if (crc) result.fileCrc = crc->value();
    return result;
}

}  // namespace parvex
