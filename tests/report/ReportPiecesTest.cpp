// The pieces parvex-check writes its reports from: the JSON document a run at a time, and the test
// that tells an earlier JUnit report (which may be replaced) from any other file.
#include <gtest/gtest.h>

#include <string>

#include <nlohmann/json.hpp>

#include "core/Version.h"
#include "report/JUnitReport.h"
#include "report/Report.h"

namespace parvex {
namespace {

TEST(JsonDocument, PiecesJoinToTheLibrarysOwnLayout) {
    const nlohmann::json run = {{"file", "A\nB\x1b\xff.SRL"},
                                {"empty", nlohmann::json::object()},
                                {"none", nlohmann::json::array()},
                                {"lines", {"x", "  indented\n", 1, true, nullptr}},
                                {"nested", {{"deeper", {{"text", "\"quoted\""}}}}}};
    nlohmann::json runs = nlohmann::json::array();
    for (int count = 0; count <= 3; ++count) {
        const nlohmann::json doc = {{"program", kProgramName}, {"version", kProgramVersion}, {"runs", runs}};
        const std::string expected = doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
        EXPECT_EQ(renderJsonDocument(runs), expected) << count << " runs";
        std::string streamed = jsonDocumentStart();
        for (std::size_t i = 0; i < runs.size(); ++i) streamed += jsonDocumentRun(runs[i], i == 0);
        EXPECT_EQ(streamed + jsonDocumentEnd(!runs.empty()), expected) << count << " runs";
        runs.push_back(run);
        runs.back()["index"] = count;
    }
}

TEST(JUnitReportHead, OnlyAnEarlierReportMayBeReplaced) {
    struct Row {
        const char* head;
        bool report;
    };
    for (const Row& r :
         {Row{"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"parvex-check\">", true},
          Row{"<?xml version=\"1.0\"?><testsuite name=\"x\"/>", true},
          Row{"\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!-- made by CI -->\n<testsuites>", true},
          Row{"<?xml version=\"1.0\"?>\n<testsuitesX>", false}, Row{"<?xml version=\"1.0\"?>\n<html>", false},
          Row{"<?xml version=\"1.0\"?>\n<!-- never closed <testsuites>", false}, Row{"<?xml version=\"1.0\"", false},
          Row{"<testsuites>", false}, Row{" <?xml version=\"1.0\"?><testsuites>", false},
          Row{"QPVXJ00<?xml?><testsuites>", false}, Row{"", false}})
        EXPECT_EQ(isJUnitReport(r.head), r.report) << r.head;
}

}  // namespace
}  // namespace parvex
