#pragma once

// Header, logo, secure-area, security-data and Segment3 checksums.

#include "core/ImageFile.h"
#include "run/Session.h"

namespace parvex {

void CheckSecureAreaCrc(Session& s);
void ComputeLogoCrc(Session& s, ImageFile& file);
void CheckHeaderCrc(Session& s);
void ComputeSecurityDataCrc(Session& s);
void ComputeSegment3Crc(Session& s, ImageFile& file);
void CheckSegment3Crc(Session& s);

}  // namespace parvex
