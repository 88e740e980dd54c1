#pragma once

namespace parvex {

// The processor features the fast paths need, read once. Every SIMD dispatch asks here, so the
// detection is one place on every platform.
struct CpuFeatures {
    bool sse41 = false;
    bool pclmul = false;
    bool avx2 = false;
    bool bmi = false;
    bool avx512f = false;
    bool avx512bw = false;
    bool avx512vl = false;
    bool vpclmul = false;
};

// The processor's features, less those that PARVEX_CPU_CAP turns off, read once. The cap lets the
// narrower paths be timed on a processor that has the wider ones: "avx2" drops AVX-512, "sse" also
// drops AVX2 and VPCLMULQDQ, "none" leaves only the portable code. Any other value caps nothing.
const CpuFeatures& cpuFeatures();

}  // namespace parvex
