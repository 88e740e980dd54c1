// parvex-check: the headless checker. Every file named is checked as if dropped on the window, in
// order, on one window model.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "buildinfo/MarkerSearch.h"
#include "core/CommandLine.h"
#include "core/ImageFile.h"
#include "core/Version.h"
#include "integrity/CcittCrc.h"
#include "run/Report.h"
#include "run/Session.h"

namespace {

std::string localeLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return std::string(value).rfind("ja", 0) == 0 ? "ja" : "en";
    }
    return "en";
}

}  // namespace

int main(int argc, char** argv) {
    parvex::CommandLine commandLine(argc, argv);
    CLI::App app{"ZR PARVEX: checks master ROM images of the ZR handheld", "parvex-check"};
    std::string lang = localeLanguage();
    bool json = false;
    bool crc = false;
    bool readStats = false;
    int switches = 0;
    std::string sideDir = parvex::programDirectory();
    std::vector<std::string> files;
    app.add_option("--lang", lang, "Language of the messages")->check(CLI::IsMember({"en", "ja"}));
    app.add_flag("--json", json, "One JSON document on standard output");
    app.add_flag("--crc", crc, "Also compute the whole-file CRC of each file");
    app.add_option("--switch", switches, "Apply the language switch N times after each run")
        ->check(CLI::Range(0, 1000));
    // For the benchmarks: how many bytes each file's checks read, and which fast paths ran.
    app.add_flag("--read-stats", readStats, "")->group("");
    app.add_option("--side-dir", sideDir, "Where Dorclic.txt and ferin.ini are looked for");
    app.add_option("FILE", files, "Images to check")->required();
    app.set_version_flag("--version", "parvex-check " + std::string(parvex::kProgramVersion));
    try {
        app.parse(commandLine.argc(), commandLine.argv());
    } catch (const CLI::ParseError& e) {
        const int rc = app.exit(e);
        return rc == 0 ? 0 : 2;
    }

    parvex::Session session(sideDir);
    session.fileCrcInRun = crc;
    // Japanese is what the window's first showing gives; English is the design state.
    if (lang == "ja") session.switchLanguage();

    const bool colour = !json && isatty(STDOUT_FILENO) && !std::getenv("NO_COLOR");
    nlohmann::json runs = nlohmann::json::array();
    bool openFailed = false;
    bool error = false;
    for (const std::string& file : files) {
        const std::uint64_t readBefore = parvex::ImageFile::bytesReadByProcess();
        session.load(file);
        const bool failed = session.lastOpenFailed;
        // The run computed the CRC in its pass; a file it could not open gets the command's message.
        if (crc && failed) session.computeFileCrc();
        if (readStats) {
            std::error_code ec;
            const auto size = std::filesystem::file_size(file, ec);
            std::cerr << "read-stats: bytes-read " << parvex::ImageFile::bytesReadByProcess() - readBefore
                      << " file-size " << (ec ? 0 : size) << " marker-path "
                      << parvex::markerPathName(parvex::fastestMarkerPath()) << " crc-path "
                      << parvex::ccittPathName(parvex::fastestCcittPath()) << "\n";
        }
        for (int i = 0; i < switches; ++i) session.switchLanguage();
        openFailed = openFailed || failed;
        error = error || parvex::hasError(session);
        if (json) runs.push_back(parvex::renderJson(session, file));
        else std::cout << parvex::renderText(session, file, colour) << (&file != &files.back() ? "\n" : "");
    }
    if (json) std::cout << parvex::renderJsonDocument(runs);
    std::cout.flush();
    if (openFailed) return 2;
    return error ? 1 : 0;
}
