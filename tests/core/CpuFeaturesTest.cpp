// The features read straight from the processor agree with the compiler's own probe, wherever the
// compiler has one; the fast paths are chosen from these answers on every platform.
#include <gtest/gtest.h>

#include "core/CpuFeatures.h"

namespace parvex {
namespace {

#if (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)

TEST(CpuFeatures, AgreeWithTheCompilersProbe) {
    __builtin_cpu_init();
    const CpuFeatures& f = cpuFeatures();
    EXPECT_EQ(f.sse41, __builtin_cpu_supports("sse4.1") != 0);
    EXPECT_EQ(f.pclmul, __builtin_cpu_supports("pclmul") != 0);
    EXPECT_EQ(f.avx2, __builtin_cpu_supports("avx2") != 0);
    EXPECT_EQ(f.bmi, __builtin_cpu_supports("bmi") != 0);
    EXPECT_EQ(f.avx512f, __builtin_cpu_supports("avx512f") != 0);
    EXPECT_EQ(f.avx512bw, __builtin_cpu_supports("avx512bw") != 0);
    EXPECT_EQ(f.avx512vl, __builtin_cpu_supports("avx512vl") != 0);
    EXPECT_EQ(f.vpclmul, __builtin_cpu_supports("vpclmulqdq") != 0);
}

#endif

// What every x86-64 processor with AVX2 also has; a detection that reads the wrong register or
// bit breaks these.
TEST(CpuFeatures, WiderFeaturesComeWithTheNarrowerOnes) {
    const CpuFeatures& f = cpuFeatures();
    EXPECT_TRUE(!f.avx2 || f.sse41);
    EXPECT_TRUE(!f.vpclmul || f.pclmul);
    EXPECT_TRUE(!(f.avx512bw || f.avx512vl) || f.avx512f);
    EXPECT_TRUE(!f.avx512f || f.avx2);
}

}  // namespace
}  // namespace parvex
