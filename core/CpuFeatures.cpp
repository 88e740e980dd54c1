#include "core/CpuFeatures.h"

namespace parvex {
namespace {

CpuFeatures detect() {
    CpuFeatures f;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    f.sse41 = __builtin_cpu_supports("sse4.1");
    f.pclmul = __builtin_cpu_supports("pclmul");
    f.avx2 = __builtin_cpu_supports("avx2");
    f.bmi = __builtin_cpu_supports("bmi");
    f.avx512f = __builtin_cpu_supports("avx512f");
    f.avx512bw = __builtin_cpu_supports("avx512bw");
    f.avx512vl = __builtin_cpu_supports("avx512vl");
    f.vpclmul = __builtin_cpu_supports("vpclmulqdq");
#endif
    return f;
}

}  // namespace

const CpuFeatures& cpuFeatures() {
    static const CpuFeatures features = detect();
    return features;
}

}  // namespace parvex
