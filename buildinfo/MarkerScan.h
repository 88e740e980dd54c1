#pragma once

// SDK and middleware build marker scans.

#include "core/ImageFile.h"
#include "core/Session.h"

namespace parvex {

void ScanSdkMarkers(Session& s, ImageFile& file);
void ScanMiddlewareMarkers(Session& s, ImageFile& file);

}  // namespace parvex
