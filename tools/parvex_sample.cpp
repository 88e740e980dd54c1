// parvex-sample PATH: writes a clean 16 MiB sample image that the checker passes without a Finding.
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "core/CommandLine.h"
#include "core/FileWrite.h"
#include "core/Version.h"
#include "report/SafeText.h"
#include "tools/SampleImage.h"

namespace {

int sampleMain(int argc, char** argv) {
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
    // Only the documented "--" options: on Windows a path such as /tmp/x.SRL is a file, not an option.
    app.allow_windows_style_options(false);
    try {
        app.parse(commandLine.argc(), commandLine.argv());
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);
        // The message quotes the arguments: shown visibly, as one line.
        std::fprintf(stderr, "parvex-sample: %s\nparvex-sample: run with --help for more information\n",
                     parvex::safeText(e.what()).c_str());
        return 2;
    }

    const auto image = parvex::buildSampleImage(parvex::sampleOptionsForName(path));
    // Whole or not at all: a temporary file beside PATH, renamed into place once complete.
    const parvex::WholeWrite result = parvex::writeWholeFile(
        path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()), force);
    if (result.written) return 0;
    if (result.existed)
        std::fprintf(stderr, "parvex-sample: %s exists; --force overwrites it\n", parvex::safeText(path).c_str());
    else std::fprintf(stderr, "parvex-sample: %s\n", parvex::safeText(result.problem).c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing is expected to throw here; should memory or a thread fail, the user still gets a line
    // and a status that does not read as success, instead of an abort.
    try {
        return sampleMain(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "parvex-sample: internal error: %s\n", parvex::safeText(e.what()).c_str());
    } catch (...) {
        std::fputs("parvex-sample: internal error\n", stderr);
    }
    return 1;
}
