#pragma once

// ROM control information and the capacity limits.

#include "core/ImageFile.h"
#include "run/Session.h"

namespace parvex {

void CheckRomControlInfo(Session& s);
void ScanReservedTail(Session& s, ImageFile& file);
void CheckCapacityLimitation(Session& s);
void ScanWastedCapacity(Session& s, ImageFile& file);
void CheckWastedCapacity(Session& s);

}  // namespace parvex
