#include "checks/ReleaseCheck.h"

namespace parvex {

void CheckReleaseVersion(Session&) {}

}  // namespace parvex
