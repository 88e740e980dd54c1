// Moving a thread off its core must leave it free to run wherever it could before: a thread left
// pinned to part of the machine would slow every later pass.
#include <gtest/gtest.h>

#include "core/Cores.h"

#if defined(__linux__)
#include <sched.h>
#endif

namespace parvex {
namespace {

#if defined(__linux__)

TEST(Cores, MovingOffACoreLeavesTheAffinityAsItWas) {
    cpu_set_t before;
    ASSERT_EQ(sched_getaffinity(0, sizeof before, &before), 0);
    const int here = currentCore();
    ASSERT_GE(here, 0);
    const bool moved = moveOffCore(here);
    EXPECT_EQ(moved, CPU_COUNT(&before) > 1);
    if (moved) {
        EXPECT_NE(currentCore(), here);
    }
    cpu_set_t after;
    ASSERT_EQ(sched_getaffinity(0, sizeof after, &after), 0);
    EXPECT_TRUE(CPU_EQUAL(&before, &after));
    EXPECT_FALSE(moveOffCore(-1));
    EXPECT_FALSE(moveOffCore(CPU_SETSIZE));
}

#endif

}  // namespace
}  // namespace parvex
