#include "core/CpuFeatures.h"

#include <cstdlib>
#include <string_view>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace parvex {
namespace {

#if defined(__x86_64__) || defined(__i386__)

bool bit(unsigned reg, int n) { return (reg >> n) & 1u; }

// Which register sets the operating system saves on a task switch (XCR0). Read only when the OS
// has turned xgetbv on; a feature whose registers are not saved must not be used.
unsigned long long enabledStateMask() {
    unsigned lo = 0;
    unsigned hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<unsigned long long>(hi) << 32) | lo;
}

// Straight from cpuid, so it works where the compiler's own feature probe is not available
// (Windows builds) and gives the same answers everywhere.
CpuFeatures detect() {
    CpuFeatures f;
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    const auto maxLeaf = static_cast<unsigned>(__get_cpuid_max(0, nullptr));  // int in some headers
    if (maxLeaf < 1) return f;
    __cpuid(1, eax, ebx, ecx, edx);
    f.sse41 = bit(ecx, 19);
    f.pclmul = bit(ecx, 1);
    const bool osSavesState = bit(ecx, 27);  // OSXSAVE
    const unsigned long long xcr0 = osSavesState ? enabledStateMask() : 0;
    const bool ymm = bit(ecx, 28) && (xcr0 & 0x6) == 0x6;  // AVX, with SSE and AVX state saved
    const bool zmm = ymm && (xcr0 & 0xE0) == 0xE0;         // opmask and both ZMM halves
    if (maxLeaf < 7) return f;
    __cpuid_count(7, 0, eax, ebx, ecx, edx);
    f.bmi = bit(ebx, 3);
    f.avx2 = ymm && bit(ebx, 5);
    f.avx512f = zmm && bit(ebx, 16);
    f.avx512bw = zmm && bit(ebx, 30);
    f.avx512vl = zmm && bit(ebx, 31);
    f.vpclmul = ymm && bit(ecx, 10);
    return f;
}

#else

CpuFeatures detect() { return {}; }

#endif

// The features left once the cap is applied: a cap only ever removes.
CpuFeatures capFeatures(CpuFeatures f, std::string_view cap) {
    const bool none = cap == "none";
    const bool sse = none || cap == "sse";
    if (sse || cap == "avx2") f.avx512f = f.avx512bw = f.avx512vl = false;
    if (sse) f.avx2 = f.vpclmul = f.bmi = false;
    if (none) f.sse41 = f.pclmul = false;
    return f;
}

}  // namespace

const CpuFeatures& cpuFeatures() {
    static const CpuFeatures kFeatures = [] {
        const char* cap = std::getenv("PARVEX_CPU_CAP");
        return capFeatures(detect(), cap ? cap : "");
    }();
    return kFeatures;
}

}  // namespace parvex
