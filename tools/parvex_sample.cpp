// parvex-sample PATH: writes a clean 16 MiB sample image that the checker passes without a Finding.
#include <cstdio>

#include "core/CommandLine.h"
#include "tools/SampleImage.h"

int main(int argc, char** argv) {
    parvex::CommandLine commandLine(argc, argv);
    argc = commandLine.argc();
    argv = commandLine.argv();
    if (argc != 2) {
        std::fprintf(stderr, "usage: parvex-sample PATH\n");
        return 2;
    }
    const auto image = parvex::buildSampleImage(parvex::sampleOptionsForName(argv[1]));
    if (!parvex::writeImage(argv[1], image)) {
        std::fprintf(stderr, "parvex-sample: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
