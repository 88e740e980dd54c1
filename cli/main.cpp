// parvex-check: the headless checker. Every file named is checked as if dropped on the window, in
// order, on one window model.
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "buildinfo/MarkerSearch.h"
#include "cli/Console.h"
#include "cli/Output.h"
#include "core/CommandLine.h"
#include "core/FileWrite.h"
#include "core/ImageFile.h"
#include "core/SideFiles.h"
#include "core/Utf8Path.h"
#include "core/Version.h"
#include "integrity/CcittCrc.h"
#include "report/JUnitReport.h"
#include "report/Report.h"
#include "report/SafeText.h"
#include "run/Session.h"

namespace {

using parvex::cli::printError;
using parvex::cli::ReportOutput;
using parvex::cli::ReportTarget;

// Exit statuses, as --help and the README list them.
constexpr int kClean = 0;
constexpr int kFindings = 1;
constexpr int kUsage = 2;  // also: an image could not be opened
constexpr int kWriteFailed = 3;

struct Options {
    std::string lang;
    bool json = false;
    bool crc = false;
    bool readStats = false;
    int switches = 0;
    // Empty unless --side-dir named one folder, which then replaces the side-file search.
    std::string sideDir;
    bool sideDirGiven = false;
    std::string color = "auto";
    std::string junit;
    bool junitGiven = false;
    std::vector<std::string> files;
};

std::string localeLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return std::string(value).rfind("ja", 0) == 0 ? "ja" : "en";
    }
    return "en";
}

std::string helpFooter() {
    return "Exit status:\n"
           "  0  every image checked, no error finding\n"
           "  1  an error finding in at least one image (notices alone give 0)\n"
           "  2  usage error, a --side-dir that is no directory, a --junit PATH that is refused (one of\n"
           "     the images, or an existing file that is not a JUnit report), or an image that could not\n"
           "     be opened\n"
           "  3  the report (standard output or the --junit file) could not be written in full; the\n"
           "     --junit file is written all the same when only standard output failed\n"
           "\n"
           "Environment:\n"
           "  LC_ALL, LC_MESSAGES, LANG  the first one set gives the default --lang: ja when it starts\n"
           "                             with \"ja\", otherwise en\n"
           "  NO_COLOR                   present and not empty: no colour under --color auto\n"
           "  TERM                       \"dumb\": no colour under --color auto\n"
           "\n" +
           std::string(parvex::sideFileOrderText()) + "--side-dir DIR looks in DIR alone.\n";
}

// Fills opts from the command line; returns an exit status when the program should stop here.
std::optional<int> parseOptions(int argc, char** argv, Options& opts, ReportOutput& out) {
    opts.lang = localeLanguage();
    CLI::App app{"ZR PARVEX: checks master ROM images of the ZR handheld", "parvex-check"};
    app.add_option("--lang", opts.lang, "Language of the report: en or ja (default from the locale)")
        ->check(CLI::IsMember({"en", "ja"}));
    app.add_flag("--json", opts.json, "One JSON document on standard output instead of the text report");
    app.add_flag("--crc", opts.crc, "Also compute the whole-file CRC of each file");
    app.add_option("--switch", opts.switches,
                   "Press the language switch N times after each run, N from 0 to 1000 (default 0)")
        ->check(CLI::Range(0, 1000))
        ->type_name("N");
    app.add_option("--side-dir", opts.sideDir,
                   "The one directory of Dorclic.txt and ferin.ini (default: the search below)")
        ->type_name("DIR");
    app.add_option("--color", opts.color,
                   "Colour the text report: auto (the default: when standard output is a terminal, TERM is "
                   "not dumb and NO_COLOR is unset or empty), always or never")
        ->check(CLI::IsMember({"auto", "always", "never"}))
        ->type_name("WHEN");
    const CLI::Option* junit =
        app.add_option("--junit", opts.junit,
                       "Also write a JUnit XML report to PATH (with either output; - is standard output). An "
                       "existing PATH must be an earlier JUnit report and not one of the images")
            ->type_name("PATH");
    app.add_option("FILE", opts.files, "Images to check")->required()->type_name("");
    // For the benchmarks: how many bytes each file's checks read, and which fast paths ran.
    app.add_flag("--read-stats", opts.readStats, "")->group("");
    app.set_version_flag("--version", "parvex-check " + std::string(parvex::kProgramVersion));
    app.footer(helpFooter());
    // Only the documented "--" options: on Windows a path such as /tmp/x.SRL is a file, not an option.
    app.allow_windows_style_options(false);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() != 0) {
            // The message quotes the arguments, which may hold anything: it goes out as one line.
            printError(e.what());
            printError("run with --help for more information");
            return kUsage;
        }
        std::ostringstream normal;
        std::ostringstream ignored;
        app.exit(e, normal, ignored);
        out.write(normal.str());
        return kClean;
    }

    opts.junitGiven = junit->count() > 0;
    opts.files = parvex::expandWildcards(opts.files);
    opts.sideDirGiven = app.count("--side-dir") > 0;
    if (!opts.sideDirGiven) return std::nullopt;
    const parvex::PathKind sideDir = parvex::inspectPath(opts.sideDir).kind;
    if (sideDir == parvex::PathKind::Absent) {
        printError("--side-dir " + opts.sideDir + ": no such directory");
        return kUsage;
    }
    if (sideDir != parvex::PathKind::Directory) {
        printError("--side-dir " + opts.sideDir + ": not a directory");
        return kUsage;
    }
    return std::nullopt;
}

bool wantColour(const Options& opts) {
    if (opts.json || opts.color == "never") return false;
    if (opts.color == "always") return true;
    const char* noColor = std::getenv("NO_COLOR");
    const char* term = std::getenv("TERM");
    return parvex::cli::stdoutIsTerminal() && !(term && std::string(term) == "dumb") && !(noColor && *noColor);
}

// The window comes up in Japanese (its first showing presses the switch once); English is what a
// second press gives, not the design texts the window never shows.
void startIn(parvex::Session& session, const std::string& lang) {
    session.switchLanguage();
    if (lang == "en") session.switchLanguage();
}

std::string utcTimestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &utc);
    return buf;
}

int finishOutput(ReportOutput& out, int status) {
    if (out.finish()) return status;
    if (!out.brokenPipe()) printError(out.failure());
    return kWriteFailed;
}

int checkAll(const Options& opts, const std::optional<ReportTarget>& junit, ReportOutput& out) {
    // --side-dir stands where the program's directory would (the hidden Edit6 shows it, as ever).
    const std::string programDir = opts.sideDirGiven ? opts.sideDir : parvex::programDirectory();
    parvex::Session session(
        programDir, opts.sideDirGiven ? std::vector<std::string>{opts.sideDir} : parvex::sideFileDirs(programDir));
    session.fileCrcInRun = opts.crc;
    startIn(session, opts.lang);
    const bool colour = wantColour(opts);
    const std::string started = utcTimestamp();
    std::vector<parvex::JUnitCase> cases;
    bool openFailed = false;
    bool error = false;
    if (opts.json) out.write(parvex::jsonDocumentStart());
    for (std::size_t i = 0; i < opts.files.size(); ++i) {
        const std::string& file = opts.files[i];
        const auto start = std::chrono::steady_clock::now();
        const std::uint64_t readBefore = parvex::ImageFile::bytesReadByProcess();
        session.load(file);
        const auto loaded = std::chrono::steady_clock::now();
        const bool failed = session.lastOpenFailed;
        // The run computed the CRC in its pass; a file it could not open gets the command's message.
        if (opts.crc && failed) session.computeFileCrc();
        if (opts.readStats) {
            std::error_code ec;
            const auto size = std::filesystem::file_size(parvex::pathFromUtf8(file), ec);
            std::cerr << "read-stats: bytes-read " << parvex::ImageFile::bytesReadByProcess() - readBefore
                      << " file-size " << (ec ? 0 : size) << " marker-path "
                      << parvex::markerPathName(parvex::fastestMarkerPath()) << " crc-path "
                      << parvex::ccittPathName(parvex::fastestCcittPath()) << " run-us "
                      << std::chrono::duration_cast<std::chrono::microseconds>(loaded - start).count() << "\n";
        }
        for (int n = 0; n < opts.switches; ++n) session.switchLanguage();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        openFailed = openFailed || failed;
        error = error || parvex::hasError(session);
        if (junit) cases.push_back(parvex::junitCase(session, file, took.count()));
        // Each run goes out as it ends, so memory stays flat however many images are named.
        const bool written = opts.json ? out.write(parvex::jsonDocumentRun(parvex::renderJson(session, file), i == 0))
                                       : out.write((i ? "\n" : "") + parvex::renderText(session, file, colour));
        // A report that cannot reach its reader is not worth checking the rest for, unless the
        // JUnit report still wants them.
        if (!written && !junit) return finishOutput(out, kWriteFailed);
    }
    if (opts.json) out.write(parvex::jsonDocumentEnd(!opts.files.empty()));
    int status = openFailed ? kUsage : error ? kFindings : kClean;
    // Before standard output is closed: a report that goes there, under any name, still reaches it.
    if (junit) {
        if (const auto problem = parvex::cli::writeReport(*junit, parvex::renderJUnit(cases, started), out)) {
            printError("JUnit report: " + *problem);
            status = kWriteFailed;
        }
    }
    if (!out.finish()) return finishOutput(out, kWriteFailed);
    return status;
}

int checkerMain(int argc, char** argv) {
    parvex::CommandLine commandLine(argc, argv);
    const bool stdoutClosed = parvex::cli::guardStandardStreams();
    parvex::cli::ignoreBrokenPipe();
    ReportOutput out(stdoutClosed);
    Options opts;
    if (const auto status = parseOptions(commandLine.argc(), commandLine.argv(), opts, out)) {
        if (*status != kClean) return *status;
        return finishOutput(out, kClean);
    }
    // A report path that would overwrite an image or some other file is refused before anything is
    // checked or written.
    std::optional<ReportTarget> junit;
    if (opts.junitGiven) {
        auto target = parvex::cli::junitTarget(opts.junit, opts.files);
        if (const auto* refusal = std::get_if<std::string>(&target)) {
            printError(*refusal);
            return kUsage;
        }
        junit = std::get<ReportTarget>(target);
    }
    return checkAll(opts, junit, out);
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing is expected to throw here; should memory or a thread fail, the user still gets a line
    // and a status that does not read as success, instead of an abort.
    try {
        return checkerMain(argc, argv);
    } catch (const std::exception& e) {
        printError(std::string("internal error: ") + e.what());
    } catch (...) {
        printError("internal error");
    }
    return kWriteFailed;
}
