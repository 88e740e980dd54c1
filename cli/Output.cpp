#include "cli/Output.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/Console.h"
#include "core/FileWrite.h"
#include "core/ImageFile.h"
#include "core/Utf8Path.h"
#include "report/JUnitReport.h"
#include "report/SafeText.h"

namespace parvex::cli {
namespace {

constexpr int kClosed = -1;  // m_error when standard output was closed before the program started

std::string reason(int error) { return error == 0 ? "unknown error" : std::strerror(error); }

}  // namespace

bool ReportOutput::fail(int error) {
    if (m_error == 0) {
        m_error = error ? error : EIO;
        m_brokenPipe = error != kClosed && writeHitClosedPipe(error);
    }
    return false;
}

bool ReportOutput::write(std::string_view text) {
    if (m_error != 0) return false;
    if (m_closed) return fail(kClosed);
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) return fail(errno);
    return true;
}

bool ReportOutput::finish() {
    if (m_finished) return m_error == 0;
    m_finished = true;
    if (m_closed) return m_error == 0 ? fail(kClosed) : false;
    errno = 0;
    if (std::fflush(stdout) != 0) fail(errno);
    if (std::ferror(stdout)) fail(errno);
    // Closing reports errors that a file system keeps until then.
    if (std::fclose(stdout) != 0) fail(errno);
    return m_error == 0;
}

std::string ReportOutput::failure() const {
    if (m_error == kClosed) return "cannot write the report: standard output is closed";
    return "cannot write the report to standard output: " + reason(m_error);
}

std::variant<ReportTarget, std::string> junitTarget(const std::string& path, const std::vector<std::string>& images) {
    using Kind = ReportTarget::Kind;
    if (path.empty()) return std::string("--junit: the report's path is empty");
    if (path == "-") return ReportTarget{Kind::StandardOutput, path};
    const PathFacts facts = inspectPath(path);
    if (facts.identity && facts.identity == standardOutputIdentity()) return ReportTarget{Kind::StandardOutput, path};
    if (facts.kind == PathKind::Other) return ReportTarget{Kind::InPlace, path};
    if (facts.kind != PathKind::Regular) return ReportTarget{Kind::WholeFile, path};
    const auto image = std::ranges::find_if(
        images, [&facts](const std::string& candidate) { return inspectPath(candidate).identity == facts.identity; });
    if (image != images.end())
        return "--junit " + path + " is the image " + *image + "; the report needs a name of its own";
    // Replacing is fine for an earlier report, or an empty file made to hold one.
    if (facts.size > 0) {
        std::uint8_t head[1024];
        auto file = ImageFile::open(path);
        const std::size_t got = file ? file->readAt(0, head, sizeof head) : 0;
        if (!isJUnitReport(std::string_view(reinterpret_cast<const char*>(head), got)))
            return "--junit " + path + " exists and is not a JUnit report; it is left as it is";
    }
    return ReportTarget{Kind::WholeFile, path};
}

std::optional<std::string> writeReport(const ReportTarget& target, std::string_view content, ReportOutput& out) {
    switch (target.kind) {
        case ReportTarget::Kind::StandardOutput:
            // A failure here is standard output's, told as such when it is finished.
            out.write(content);
            return std::nullopt;
        case ReportTarget::Kind::InPlace: return writeInPlace(target.path, content);
        case ReportTarget::Kind::WholeFile: break;
    }
    const WholeWrite result = writeWholeFile(target.path, content, true);
    if (result.written) return std::nullopt;
    return result.problem;
}

void printError(std::string_view message) {
    const std::string line = "parvex-check: " + safeText(message) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace parvex::cli
