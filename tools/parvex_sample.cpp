// parvex-sample PATH: writes a clean 16 MiB sample image that the checker passes without a Finding.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>

#include <CLI/CLI.hpp>

#include "core/CommandLine.h"
#include "core/Utf8Path.h"
#include "core/Version.h"
#include "report/SafeText.h"
#include "tools/SampleImage.h"

namespace {

// Creates path only when nothing of that name exists yet, in one step, so nothing is overwritten.
bool writeNew(const std::string& path, const std::vector<std::uint8_t>& image, int& error) {
#ifdef _WIN32
    // The C runtime there has no exclusive-create mode for UTF-8 names: ask first, then write.
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(parvex::pathFromUtf8(path), ec))) {
        error = EEXIST;
        return false;
    }
    error = 0;
    return parvex::writeImage(path, image);
#else
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (!file) {
        error = errno;
        return false;
    }
    bool ok = std::fwrite(image.data(), 1, image.size(), file) == image.size();
    error = errno;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::remove(path.c_str());
    return ok;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    parvex::CommandLine commandLine(argc, argv);
    CLI::App app{"Writes a clean 16 MiB ZR master ROM image that parvex-check passes without a finding.\n"
                 "A name of the form QABCJ01.SRL gives the game code ABCJ and release 01.",
                 "parvex-sample"};
    std::string path;
    bool force = false;
    app.add_option("PATH", path, "The image file to write")->required()->type_name("");
    app.add_flag("-f,--force", force, "Overwrite PATH when it exists");
    app.set_version_flag("--version", "parvex-sample " + std::string(parvex::kProgramVersion));
    app.footer("Exit status: 0 written, 1 not written (PATH exists without --force, or a write failed),\n"
               "2 usage error.");
    try {
        app.parse(commandLine.argc(), commandLine.argv());
    } catch (const CLI::ParseError& e) {
        const int rc = app.exit(e);
        return rc == 0 ? 0 : 2;
    }

    const auto image = parvex::buildSampleImage(parvex::sampleOptionsForName(path));
    int error = 0;
    if (force ? parvex::writeImage(path, image) : writeNew(path, image, error)) return 0;
    // The path goes to the terminal as a visible text, whatever it holds.
    const std::string shown = parvex::safeText(path);
    if (!force && error == EEXIST)
        std::fprintf(stderr, "parvex-sample: %s exists; --force overwrites it\n", shown.c_str());
    else
        std::fprintf(stderr, "parvex-sample: cannot write %s%s%s\n", shown.c_str(), error ? ": " : "",
                     error ? std::strerror(error) : "");
    return 1;
}
