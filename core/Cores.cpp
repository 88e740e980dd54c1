#include "core/Cores.h"

#if defined(__linux__)
#include <sched.h>
#endif

namespace parvex {

int currentCore() {
#if defined(__linux__)
    return sched_getcpu();
#else
    return -1;
#endif
}

bool moveOffCore(int core) {
#if defined(__linux__)
    cpu_set_t allowed;
    if (core < 0 || core >= CPU_SETSIZE || sched_getaffinity(0, sizeof allowed, &allowed) != 0 ||
        !CPU_ISSET(core, &allowed))
        return false;
    cpu_set_t others = allowed;
    CPU_CLR(core, &others);
    // Narrowing the set moves the thread before the call returns; widening it again does not.
    if (CPU_COUNT(&others) == 0 || sched_setaffinity(0, sizeof others, &others) != 0) return false;
    sched_setaffinity(0, sizeof allowed, &allowed);
    return true;
#else
    (void)core;
    return false;
#endif
}

}  // namespace parvex
