#include "cli/Output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "cli/Console.h"
#include "core/Utf8Path.h"
#include "report/SafeText.h"

namespace parvex::cli {
namespace {

constexpr int kClosed = -1;  // m_error when standard output was closed before the program started

// Writes, flushes and closes; errno of the first failure, or 0.
int writeAll(std::FILE* file, std::string_view content) {
    int error = 0;
    if (!content.empty() && std::fwrite(content.data(), 1, content.size(), file) != content.size()) error = errno;
    if (std::fflush(file) != 0 && error == 0) error = errno;
    if (std::ferror(file) && error == 0) error = errno ? errno : EIO;
    if (std::fclose(file) != 0 && error == 0) error = errno;
    return error;
}

std::string reason(int error) { return error == 0 ? "unknown error" : std::strerror(error); }

}  // namespace

bool ReportOutput::fail(int error) {
    if (m_error == 0) m_error = error ? error : EIO;
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

bool ReportOutput::brokenPipe() const { return isBrokenPipe(m_error); }

std::string ReportOutput::failure() const {
    if (m_error == kClosed) return "cannot write the report: standard output is closed";
    return "cannot write the report to standard output: " + reason(m_error);
}

std::optional<std::string> writeReportFile(const std::string& path, std::string_view content) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(pathFromUtf8(path), ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        if (fs::is_directory(status)) return "cannot write " + path + ": it is a directory";
        std::FILE* file = openForWriting(path, false);
        if (!file) return "cannot open " + path + ": " + reason(errno);
        const int error = writeAll(file, content);
        if (error != 0) return "cannot write " + path + ": " + reason(error);
        return std::nullopt;
    }
    // The temporary file sits beside the target, so the rename stays on one file system; a symbolic
    // link is followed to the file it names.
    const fs::path target = fs::exists(status) ? fs::canonical(pathFromUtf8(path), ec) : pathFromUtf8(path);
    std::random_device entropy;
    for (int attempt = 0; attempt < 16; ++attempt) {
        fs::path temp = target;
        temp += ".tmp" + std::to_string(entropy() % 1000000);
        std::FILE* file = openForWriting(utf8FromPath(temp), true);
        if (!file) {
            if (errno == EEXIST) continue;
            return "cannot create " + utf8FromPath(temp) + ": " + reason(errno);
        }
        const int error = writeAll(file, content);
        if (error != 0) {
            fs::remove(temp, ec);
            return "cannot write " + utf8FromPath(temp) + ": " + reason(error);
        }
        fs::rename(temp, target, ec);
        if (ec) {
            fs::remove(temp, ec);
            return "cannot rename the report into place at " + path;
        }
        return std::nullopt;
    }
    return "cannot create a temporary file beside " + path;
}

void printError(std::string_view message) {
    const std::string line = "parvex-check: " + safeText(message) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace parvex::cli
