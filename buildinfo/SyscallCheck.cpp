#include "buildinfo/SyscallCheck.h"

namespace parvex {

void CheckSystemCallLibrary(Session&) {}

}  // namespace parvex
