#include <chrono>
#include <cstdio>
#include <cstring>

#include "integrity/CcittCrc.h"

// Times the whole-file CRC of one file: prints the CRC as %04X and the seconds it took.
// An optional second argument (table, pclmul, vpclmul256, vpclmul) forces one path.
int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s FILE [table|pclmul|vpclmul256|vpclmul]\n", argv[0]);
        return 2;
    }
    parvex::CcittPath path = parvex::fastestCcittPath();
    if (argc == 3) {
        if (std::strcmp(argv[2], "table") == 0) {
            path = parvex::CcittPath::Table;
        } else if (std::strcmp(argv[2], "pclmul") == 0) {
            path = parvex::CcittPath::Pclmul;
        } else if (std::strcmp(argv[2], "vpclmul256") == 0) {
            path = parvex::CcittPath::Vpclmul256;
        } else if (std::strcmp(argv[2], "vpclmul") == 0) {
            path = parvex::CcittPath::Vpclmul;
        } else {
            std::fprintf(stderr, "unknown path %s\n", argv[2]);
            return 2;
        }
        if (!parvex::ccittPathAvailable(path)) {
            std::fprintf(stderr, "this processor lacks path %s\n", argv[2]);
            return 1;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    auto file = parvex::ImageFile::open(argv[1]);
    if (!file) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const std::uint16_t crc = parvex::crc16_ccitt_file(*file, path);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%04X %.6f\n", crc, seconds.count());
    return 0;
}
