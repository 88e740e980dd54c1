// The marker search paths on one pass chunk already in cache, as a worker feeds it.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "buildinfo/MarkerSearch.h"
#include "core/PassFeed.h"

namespace {

void markerPath(benchmark::State& state, parvex::MarkerPath path) {
    if (!parvex::markerPathAvailable(path)) {
        state.SkipWithError("processor lacks this path");
        return;
    }
    std::mt19937_64 rng(7);
    std::vector<std::uint8_t> data(parvex::kPassChunkSize);
    for (auto& b : data) b = static_cast<std::uint8_t>(rng());
    std::vector<parvex::MarkerHit> hits(4096);
    for (auto _ : state) {
        std::size_t count = 0;
        std::size_t at = 0;
        while (at < data.size()) {
            at = parvex::findMarkers(path, data, at, data.size(), hits, count);
            count = 0;
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}

}  // namespace

BENCHMARK_CAPTURE(markerPath, Portable, parvex::MarkerPath::Portable);
BENCHMARK_CAPTURE(markerPath, Avx2, parvex::MarkerPath::Avx2);
BENCHMARK_CAPTURE(markerPath, Avx512, parvex::MarkerPath::Avx512);
