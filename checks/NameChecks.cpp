#include "checks/NameChecks.h"

namespace parvex {

void CheckFileName(Session&) {}

void CheckGameTitle(Session&) {}

void CheckGameCode(Session&) {}

}  // namespace parvex
