// Times the two build marker scans over one image, as the check run calls them or with a chosen
// search path in one pass.
// Usage: parvex_marker_bench FILE [run|portable|avx2|avx512]
// Prints: seconds, SDK rows, middleware rows, peak resident memory in KiB.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include "buildinfo/MarkerScan.h"
#include "core/ImageFile.h"
#include "run/Session.h"
#include "run/Steps.h"

namespace {

long peakKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace parvex;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [run|portable|avx2|avx512]\n", argv[0]);
        return 2;
    }
    const std::string_view mode = argc > 2 ? argv[2] : "run";
    Session s{""};
    s.fileName = argv[1];
    const auto start = std::chrono::steady_clock::now();
    auto file = ImageFile::open(s.fileName);
    if (!file) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    s.state.File_Size = file->size();
    if (mode == "run") {
        const ImageRecord record = readImage(*file);
        runStep(s, Step::ScanSdkMarkers, record);
        runStep(s, Step::ScanMiddlewareMarkers, record);
    } else {
        const MarkerPath path = mode == "avx512" ? MarkerPath::Avx512
                                : mode == "avx2" ? MarkerPath::Avx2
                                                 : MarkerPath::Portable;
        if (!markerPathAvailable(path)) {
            std::fprintf(stderr, "this processor cannot run %s\n", std::string(mode).c_str());
            return 1;
        }
        MarkerScanResult found = scanMarkers(*file, s.state.File_Size, path, MarkerScanKinds::Both);
        s.model.sdkRows = std::move(found.sdkRows);
        s.model.middlewareRows = std::move(found.middleware.rows);
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.6f %zu %zu %ld\n", took.count(), s.model.sdkRows.size(), s.model.middlewareRows.size(), peakKib());
    return 0;
}
