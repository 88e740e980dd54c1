#include "report/JUnitReport.h"

#include <cstdio>

#include "report/SafeText.h"

namespace parvex {
namespace {

// Texts shown the way the text report shows them, then fit for XML.
std::string xml(const std::string& text) { return xmlText(safeText(text)); }

std::string seconds(double s) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", s < 0 ? 0.0 : s);
    return buf;
}

std::string joined(const std::vector<MessageLine>& lines, Severity severity) {
    std::string body;
    for (const MessageLine& line : lines)
        if (line.severity == severity) body += xml(line.text) + "\n";
    return body;
}

const MessageLine* first(const std::vector<MessageLine>& lines, Severity severity) {
    for (const MessageLine& line : lines)
        if (line.severity == severity) return &line;
    return nullptr;
}

}  // namespace

JUnitCase junitCase(const Session& session, const std::string& path, double seconds) {
    return {path, seconds, session.lastOpenFailed, session.model.messages.lines};
}

std::string renderJUnit(const std::vector<JUnitCase>& cases, const std::string& timestamp) {
    std::size_t failures = 0;
    std::size_t errors = 0;
    double total = 0;
    std::string body;
    for (const JUnitCase& c : cases) {
        total += c.seconds;
        body += "    <testcase classname=\"parvex-check\" name=\"" + xml(c.path) + "\" time=\"" + seconds(c.seconds) +
                "\"";
        const MessageLine* error = first(c.lines, Severity::Error);
        const MessageLine* notice = first(c.lines, Severity::Notice);
        if (!c.openFailed && !error && !notice) {
            body += "/>\n";
            continue;
        }
        body += ">\n";
        if (c.openFailed) {
            // The run's only word on it is its open-failure notice.
            ++errors;
            const std::string message = notice ? xml(notice->text) : "";
            body += "      <error message=\"" + message + "\" type=\"open\">" + joined(c.lines, Severity::Notice) +
                    "</error>\n";
        } else if (error) {
            ++failures;
            body += "      <failure message=\"" + xml(error->text) + "\" type=\"error\">" +
                    joined(c.lines, Severity::Error) + "</failure>\n";
        }
        if (!c.openFailed && notice)
            body += "      <system-out>" + joined(c.lines, Severity::Notice) + "</system-out>\n";
        body += "    </testcase>\n";
    }
    const std::string counts = " tests=\"" + std::to_string(cases.size()) + "\" failures=\"" +
                               std::to_string(failures) + "\" errors=\"" + std::to_string(errors) + "\" time=\"" +
                               seconds(total) + "\"";
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<testsuites name=\"parvex-check\"" + counts + ">\n";
    out += "  <testsuite name=\"parvex-check\"" + counts + " skipped=\"0\"";
    if (!timestamp.empty()) out += " timestamp=\"" + xml(timestamp) + "\"";
    out += ">\n" + body + "  </testsuite>\n</testsuites>\n";
    return out;
}

bool isJUnitReport(std::string_view head) {
    constexpr auto kNone = std::string_view::npos;
    if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
    if (!head.starts_with("<?xml")) return false;
    const std::size_t declarationEnd = head.find("?>");
    if (declarationEnd == kNone) return false;
    std::string_view rest = head.substr(declarationEnd + 2);
    for (;;) {
        const std::size_t start = rest.find_first_not_of(" \t\r\n");
        if (start == kNone) return false;
        rest.remove_prefix(start);
        if (!rest.starts_with("<!--")) break;
        const std::size_t close = rest.find("-->");
        if (close == kNone) return false;
        rest.remove_prefix(close + 3);
    }
    for (const std::string_view root : {"<testsuites", "<testsuite"})
        if (rest.starts_with(root) && rest.size() > root.size() &&
            std::string_view(" \t\r\n>/").find(rest[root.size()]) != kNone)
            return true;
    return false;
}

}  // namespace parvex
