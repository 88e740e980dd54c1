#include "checks/MakerCheck.h"

namespace parvex {

void CheckMakerCode(Session&) {}

void ShowMakerName(Session&) {}

}  // namespace parvex
