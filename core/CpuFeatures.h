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

const CpuFeatures& cpuFeatures();

}  // namespace parvex
