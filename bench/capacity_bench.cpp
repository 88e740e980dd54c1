#include <chrono>
#include <cstdio>

#include "core/ImageFile.h"
#include "run/ImagePass.h"

// Reads one image as a check run does and prints the two capacity scans' Tail_Used and Half_Padded
// and the seconds the whole read took (open, header and the one pass with every scan).
int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s IMAGE\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    auto file = parvex::ImageFile::open(argv[1]);
    if (!file) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const parvex::ImageRecord record = parvex::readImage(*file);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%u %u %.6f\n", record.pass.tailUsed, record.pass.halfPadded, seconds.count());
    return 0;
}
