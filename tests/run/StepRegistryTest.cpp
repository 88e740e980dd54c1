// The step table is the one place a check is registered: a check written without its row, or a
// row that neither the run nor the language switch makes, fails here rather than going unseen.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "run/Steps.h"

namespace parvex {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = PARVEX_SOURCE_DIR;

std::string readSource(const fs::path& file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The names matching pattern's first group, over the given files.
std::set<std::string> declared(const std::vector<fs::path>& files, const std::regex& pattern) {
    std::set<std::string> names;
    for (const fs::path& file : files) {
        const std::string text = readSource(file);
        for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
            names.insert((*it)[1].str());
    }
    return names;
}

std::vector<fs::path> checkHeaders() {
    std::vector<fs::path> headers;
    for (const char* folder : {"checks", "integrity", "buildinfo"})
        for (const fs::directory_entry& e : fs::directory_iterator(kSource / folder))
            if (e.path().extension() == ".h") headers.push_back(e.path());
    return headers;
}

bool hasRow(std::string_view name) {
    const auto table = stepTable();
    return std::any_of(table.begin(), table.end(), [&](const StepInfo& s) { return s.name == name; });
}

bool haveSources() { return fs::exists(kSource / "run" / "Steps.def"); }

// The cross build's tests run under Wine, which does not see the source tree by its path; on Linux
// a missing tree is a failure.
bool skipWithoutSources() {
#ifdef _WIN32
    return !haveSources();
#else
    return false;
#endif
}

// Every check, scan or show function a check folder declares is made by the row of its name; the
// few that serve a row of another name say which.
TEST(StepRegistry, EveryCheckFunctionHasARow) {
    if (skipWithoutSources()) GTEST_SKIP() << "no source tree at " << kSource;
    ASSERT_TRUE(haveSources()) << kSource;
    const std::map<std::string, std::string> kMadeByRow = {
        {"CheckReservedRange", "CheckReserved078"},
        {"ComputeLogoCrc", "CheckLogoCharacterData"},
        {"ComputeSegment3Crc", "CheckSegment3Crc"},
    };
    const std::regex check(R"(\n[\w:<>]+ ((?:Check|Scan|Show|Compute)[A-Z]\w*)\()");
    const std::set<std::string> names = declared(checkHeaders(), check);
    EXPECT_GT(names.size(), 20u) << "the declarations were not found";
    for (const std::string& name : names) {
        const auto other = kMadeByRow.find(name);
        EXPECT_TRUE(hasRow(other == kMadeByRow.end() ? name : other->second))
            << name << " has no row in run/Steps.def";
    }
}

// Every read function of run/Steps.cpp is named by a row.
TEST(StepRegistry, EveryReadFunctionHasARow) {
    if (skipWithoutSources()) GTEST_SKIP() << "no source tree at " << kSource;
    ASSERT_TRUE(haveSources()) << kSource;
    const std::set<std::string> reads =
        declared({kSource / "run" / "Steps.cpp"}, std::regex(R"(\nvoid (\w+)\(const ImageRecord&)"));
    EXPECT_FALSE(reads.empty());
    const std::string table = readSource(kSource / "run" / "Steps.def");
    for (const std::string& name : reads) {
        const std::regex named(R"(\.read = reads::)" + name + R"([,)])");
        EXPECT_TRUE(std::regex_search(table, named)) << "reads::" << name << " is named by no row of run/Steps.def";
    }
}

// A row that the run does not make must be in the switch's list, or it is never made at all.
TEST(StepRegistry, EveryRowIsMadeByTheRunOrTheSwitch) {
    const auto order = switchSteps();
    for (const StepInfo& s : stepTable()) {
        const bool inSwitch = std::find(order.begin(), order.end(), s.step) != order.end();
        EXPECT_TRUE(s.inRun || inSwitch) << s.name << " is made neither by the run nor by the switch";
    }
}

}  // namespace
}  // namespace parvex
