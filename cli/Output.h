#pragma once

#include <optional>
#include <string>
#include <string_view>

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
    bool brokenPipe() const;
    // One line telling why the report could not be written.
    std::string failure() const;

private:
    bool fail(int error);

    bool m_closed;
    int m_error = 0;
    bool m_finished = false;
};

// Writes content to path in full or not at all: a regular file (or a new one) is written under a
// temporary name beside it and renamed into place; anything else (a device, a pipe) is written
// directly. Returns the reason on failure.
std::optional<std::string> writeReportFile(const std::string& path, std::string_view content);

// "parvex-check: " and the message on standard error as one line, through safeText.
void printError(std::string_view message);

}  // namespace parvex::cli
