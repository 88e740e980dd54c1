#pragma once

// Why a SIMD path cannot run here, for GTEST_SKIP: the processor features it lacks.

#include <string>
#include <utility>
#include <vector>

#include "buildinfo/MarkerSearch.h"
#include "core/CpuFeatures.h"
#include "integrity/CcittCrc.h"

namespace parvex::test {

inline std::string lacking(const std::vector<std::pair<bool, const char*>>& needs, const char* path) {
    std::string missing;
    for (const auto& [present, name] : needs)
        if (!present) missing += std::string(missing.empty() ? "" : ", ") + name;
    if (missing.empty()) return std::string("path ") + path + " is not built for this processor family";
    return std::string("path ") + path + " needs what this processor lacks: " + missing;
}

inline std::string whyUnavailable(MarkerPath p) {
    const CpuFeatures& f = cpuFeatures();
    switch (p) {
        case MarkerPath::Portable: return "";
        case MarkerPath::Avx2: return lacking({{f.avx2, "AVX2"}, {f.bmi, "BMI"}}, "Avx2");
        case MarkerPath::Avx512:
            return lacking({{f.avx2, "AVX2"}, {f.bmi, "BMI"}, {f.avx512f, "AVX-512F"}, {f.avx512bw, "AVX-512BW"}},
                           "Avx512");
    }
    return "unknown path";
}

inline std::string whyUnavailable(CcittPath p) {
    const CpuFeatures& f = cpuFeatures();
    switch (p) {
        case CcittPath::Table: return "";
        case CcittPath::Pclmul: return lacking({{f.pclmul, "PCLMULQDQ"}, {f.sse41, "SSE4.1"}}, "Pclmul");
        case CcittPath::Vpclmul256:
            return lacking(
                {{f.pclmul, "PCLMULQDQ"}, {f.sse41, "SSE4.1"}, {f.avx2, "AVX2"}, {f.vpclmul, "VPCLMULQDQ"}},
                "Vpclmul256");
        case CcittPath::Vpclmul:
            return lacking({{f.pclmul, "PCLMULQDQ"},
                            {f.sse41, "SSE4.1"},
                            {f.avx512f, "AVX-512F"},
                            {f.avx512bw, "AVX-512BW"},
                            {f.avx512vl, "AVX-512VL"},
                            {f.vpclmul, "VPCLMULQDQ"}},
                           "Vpclmul");
    }
    return "unknown path";
}

}  // namespace parvex::test
