#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/WindowModel.h"
#include "run/Session.h"

namespace parvex {

// One checked image as a JUnit test case: what the report needs of a run, kept after the session
// has gone on to the next image.
struct JUnitCase {
    std::string path;
    double seconds = 0;
    bool openFailed = false;
    std::vector<MessageLine> lines;
};

JUnitCase junitCase(const Session& session, const std::string& path, double seconds);

// The JUnit XML document over the runs in order: one test suite "parvex-check", one test case per
// image named by its path. Error findings make one <failure> (the first as its message, all of
// them in the body), notices go to <system-out>, an image that could not be opened is an <error>.
// timestamp: ISO 8601 time of the start, or empty to leave it out.
std::string renderJUnit(const std::vector<JUnitCase>& cases, const std::string& timestamp);

// Whether a file starting with head is a JUnit report, and so may be replaced by a new one: an XML
// declaration (after a byte-order mark, if any), then, past blanks and comments, a <testsuites> or
// <testsuite> root.
bool isJUnitReport(std::string_view head);

}  // namespace parvex
