#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "integrity/CcittCrc.h"
#include "integrity/Crc16.h"

namespace {

std::vector<std::uint8_t> randomBuffer(std::size_t n) {
    std::mt19937_64 rng(42);
    std::vector<std::uint8_t> data(n);
    for (auto& b : data) b = static_cast<std::uint8_t>(rng());
    return data;
}

void ccittPath(benchmark::State& state, parvex::CcittPath path) {
    if (!parvex::ccittPathAvailable(path)) {
        state.SkipWithError("processor lacks this path");
        return;
    }
    const auto data = randomBuffer(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(parvex::pairSwapCcitt(path, data.data(), data.size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void crc16Nibble(benchmark::State& state) {
    const auto data = randomBuffer(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(parvex::crc16(0xFFFF, data.data(), static_cast<std::uint32_t>(data.size())));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

}  // namespace

// 16 KiB stays in L1/L2; 1 MiB is the file reader's block.
BENCHMARK_CAPTURE(ccittPath, Table, parvex::CcittPath::Table)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK_CAPTURE(ccittPath, Pclmul, parvex::CcittPath::Pclmul)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK_CAPTURE(ccittPath, Vpclmul256, parvex::CcittPath::Vpclmul256)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK_CAPTURE(ccittPath, Vpclmul, parvex::CcittPath::Vpclmul)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK(crc16Nibble)->Arg(16 << 10);
