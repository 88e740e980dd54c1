#include <chrono>
#include <cstdio>

#include "checks/CapacityChecks.h"
#include "core/ImageFile.h"
#include "run/Session.h"
#include "run/Steps.h"

// Runs the two capacity scans on one image as a check run would: prints Tail_Used, Half_Padded and
// the seconds the two scans took (open and header read included).
int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s IMAGE\n", argv[0]);
        return 2;
    }
    parvex::Session session{""};
    const auto start = std::chrono::steady_clock::now();
    auto file = parvex::ImageFile::open(argv[1]);
    if (!file) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    file->readAt(0, session.state.Header.data(), session.state.Header.size());
    session.state.File_Size = file->size();
    parvex::runStep(session, parvex::Step::ScanReservedTail, file);
    parvex::runStep(session, parvex::Step::ScanWastedCapacity, file);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%u %u %.6f\n", session.state.Tail_Used, session.state.Half_Padded, seconds.count());
    return 0;
}
