#include "buildinfo/MarkerScan.h"

namespace parvex {

void ScanSdkMarkers(Session&, ImageFile&) {}

void ScanMiddlewareMarkers(Session&, ImageFile&) {}

}  // namespace parvex
