#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace parvex::cli {

// Standard output for the report, remembering the first failure. A report that was not written in
// full must never pass for a clean one.
class ReportOutput {
public:
    // closed: standard output was closed at start, so nothing written can arrive.
    explicit ReportOutput(bool closed) : m_closed(closed) {}

    bool write(std::string_view text);
    // Flushes and closes standard output; false when that or any earlier write failed.
    bool finish();

    bool failed() const { return m_error != 0; }
    // The reader closed the pipe: no message is needed for that.
    bool brokenPipe() const { return m_brokenPipe; }
    // One line telling why the report could not be written.
    std::string failure() const;

private:
    bool fail(int error);

    bool m_closed;
    int m_error = 0;
    bool m_brokenPipe = false;
    bool m_finished = false;
};

// Where the --junit report goes, decided before any image is checked.
struct ReportTarget {
    enum class Kind { StandardOutput, InPlace, WholeFile };
    Kind kind = Kind::WholeFile;
    std::string path;
};

// The target of --junit PATH, or why it may not be written (a usage error): an empty path, one of
// the images named (the same file, however spelled), or an existing file that is not a JUnit
// report. "-", and any name of the file or pipe standard output goes to, is standard output; a
// device or a FIFO is written into as it stands; anything else through a temporary file.
std::variant<ReportTarget, std::string> junitTarget(const std::string& path, const std::vector<std::string>& images);

// Writes the report to its target, to standard output through out. Returns the reason on failure.
std::optional<std::string> writeReport(const ReportTarget& target, std::string_view content, ReportOutput& out);

// "parvex-check: " and the message on standard error as one line, through safeText.
void printError(std::string_view message);

}  // namespace parvex::cli
