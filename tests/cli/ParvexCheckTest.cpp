#include <sys/wait.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/WindowModel.h"
#include "tests/support/TempDir.h"
#include "tools/SampleImage.h"

namespace parvex {
namespace {

using test::TempDir;

struct Result {
    int status = -1;
    std::string out;
};

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

Result runChecker(const std::string& args, const std::string& env = "LANG=C NO_COLOR=1") {
    const std::string cmd = "env " + env + " " + quote(PARVEX_CHECK_PATH) + " " + args + " 2>/dev/null";
    Result r;
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return r;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    const int st = pclose(pipe);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

class ParvexCheck : public ::testing::Test {
protected:
    TempDir dir;
    std::string sample(const std::string& name, void (*change)(std::vector<std::uint8_t>&) = nullptr) {
        auto image = buildSampleImage(sampleOptionsForName(name));
        if (change) {
            change(image);
            finalizeChecksums(image);
        }
        return dir.write(name, image);
    }
    std::string side() const { return "--side-dir " + quote(dir.path().string()) + " "; }
};

TEST_F(ParvexCheck, ExitStatusTellsCleanErrorAndUnopenable) {
    const std::string clean = sample("QPVXJ00.SRL");
    const std::string faulty = sample("QPVXJ01.SRL", [](std::vector<std::uint8_t>& img) { img[0x013] = 1; });
    EXPECT_EQ(runChecker(side() + quote(clean)).status, 0);
    EXPECT_EQ(runChecker(side() + quote(faulty)).status, 1);
    EXPECT_EQ(runChecker(side() + quote(clean) + " " + quote(dir.file("nope"))).status, 2);
    EXPECT_EQ(runChecker(side() + quote(dir.path().string())).status, 2);
    EXPECT_EQ(runChecker("--lang fr " + quote(clean)).status, 2);
    EXPECT_EQ(runChecker("").status, 2);
}

TEST_F(ParvexCheck, TextReportListsFindingsLikeCompilerDiagnostics) {
    const std::string faulty = sample("QPVXJ00.SRL", [](std::vector<std::uint8_t>& img) {
        img[0x013] = 1;
        std::fill(img.begin() + 0x068, img.begin() + 0x06C, 0);
    });
    const Result r = runChecker(side() + quote(faulty));
    EXPECT_NE(r.out.find("error: 'Device Code' is incorrect.\nerror: The Banner Data is not set up.\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Error (!)"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("\x1b["), std::string::npos);
}

TEST_F(ParvexCheck, TextReportOfACleanImageSaysSo) {
    const Result r = runChecker(side() + quote(sample("QPVXJ00.SRL")));
    EXPECT_NE(r.out.find("\nThere are no inconsistencies.\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("error:"), std::string::npos);
}

TEST_F(ParvexCheck, JsonHoldsEveryFieldAndTheRunInOrder) {
    const std::string a = sample("QAAAJ00.SRL");
    const std::string b = sample("QBBBJ00.SRL", [](std::vector<std::uint8_t>& img) { img[0x012] = 1; });
    const Result r = runChecker("--json " + side() + quote(a) + " " + quote(b));
    ASSERT_EQ(r.status, 1);
    const auto doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["program"], "ZR PARVEX");
    EXPECT_EQ(doc["version"], "1.26");
    ASSERT_EQ(doc["runs"].size(), 2u);
    const auto& run = doc["runs"][1];
    EXPECT_EQ(run["file"], b);
    EXPECT_EQ(run["caption"], b);
    EXPECT_EQ(run["language"], "en");
    for (std::size_t i = 0; i < kFieldCount; ++i)
        EXPECT_TRUE(run["fields"].contains(std::string(fieldName(static_cast<Field>(i)))));
    EXPECT_EQ(run["fields"]["Product_Code"]["color"], "red");
    EXPECT_EQ(run["fields"]["Edit9"]["visible"], false);
    EXPECT_EQ(run["findings"][0]["severity"], "error");
    EXPECT_EQ(run["findings"][0]["text"], "'Product Code' is incorrect.");
    EXPECT_EQ(run["messages"]["color"], "red");
    EXPECT_EQ(run["state"]["file_size"], kSampleSize);
    EXPECT_EQ(run["controls"]["OpenDialog1"]["filter"], "ZR Program");
    EXPECT_EQ(run["controls"]["Middleware_ListView"]["column2"], "Module Name");
    EXPECT_FALSE(run["controls"]["LBtn"].contains("filter"));
}

TEST_F(ParvexCheck, JapaneseComesFromTheOptionOrTheLocale) {
    const std::string faulty = sample("QPVXJ00.SRL", [](std::vector<std::uint8_t>& img) { img[0x012] = 1; });
    for (const auto& [args, env] : {std::pair<std::string, std::string>{"--lang ja ", "LANG=C"},
                                    {"", "LC_ALL= LC_MESSAGES= LANG=ja_JP.UTF-8"},
                                    {"", "LC_ALL=ja_JP.UTF-8 LANG=C"}}) {
        const auto doc = nlohmann::json::parse(runChecker("--json " + args + side() + quote(faulty), env).out);
        EXPECT_EQ(doc["runs"][0]["language"], "ja") << env;
        EXPECT_EQ(doc["runs"][0]["findings"][0]["text"], "本体コードが間違ってます。") << env;
    }
}

TEST_F(ParvexCheck, SwitchAndCrcShowWhatTheWindowWould) {
    const std::string clean = sample("QPVXJ00.SRL");
    const auto doc = nlohmann::json::parse(runChecker("--json --crc --switch 1 " + side() + quote(clean)).out);
    const auto& run = doc["runs"][0];
    EXPECT_EQ(run["language"], "ja");
    EXPECT_EQ(run["messages"]["text"], "矛盾点はありません。");
    EXPECT_EQ(run["fields"]["CRC_ans"]["text"].get<std::string>().size(), 4u);
    EXPECT_EQ(run["controls"]["LBtn"]["caption"], "→English");
}

// A file that did not open is reported as such however often the language is switched after it,
// alone or after a faulty image; no check is run over bytes that were never read.
TEST_F(ParvexCheck, SwitchesAfterAFailedOpenReportOnlyTheOpenFailure) {
    const std::string faulty = sample("QPVXJ01.SRL", [](std::vector<std::uint8_t>& img) { img[0x013] = 1; });
    const std::string missing = quote(dir.file("missing.SRL"));
    struct Row {
        const char* args;
        std::string files;
        const char* message;
    };
    const Row rows[] = {
        {"--lang en --switch 1 ", missing, "ファイルが開けません。"},
        {"--lang en --switch 2 ", missing, "Unable to open File."},
        {"--lang ja --switch 1 ", missing, "Unable to open File."},
        // Each file gets its switch: the faulty one ends Japanese, the missing one English.
        {"--lang en --switch 1 ", quote(faulty) + " " + missing, "Unable to open File."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.args) + row.files);
        const Result r = runChecker("--json " + side() + row.args + row.files);
        EXPECT_EQ(r.status, 2);
        const auto doc = nlohmann::json::parse(r.out);
        const auto& run = doc["runs"].back();
        ASSERT_EQ(run["messages"]["lines"].size(), 1u);
        EXPECT_EQ(run["messages"]["lines"][0], row.message);
        EXPECT_EQ(run["messages"]["text"], row.message);
        EXPECT_EQ(run["messages"]["color"], "black");
        // The boxes keep what the failed run left: File_Name is emptied by every run.
        EXPECT_EQ(run["fields"]["File_Name"]["text"], "");
        EXPECT_EQ(run["fields"]["Device_Code"]["color"], "black");
    }
}

TEST_F(ParvexCheck, InvalidUtf8InFileNamesIsReplacedNotFatal) {
    const std::string odd = dir.file("Q\xff\xfe\x80.SRL");
    dir.write("Q\xff\xfe\x80.SRL", buildSampleImage());
    const Result r = runChecker("--json " + side() + quote(odd));
    EXPECT_EQ(r.status, 1);
    const auto doc = nlohmann::json::parse(r.out);
    EXPECT_NE(doc["runs"][0]["file"].get<std::string>().find("\xEF\xBF\xBD"), std::string::npos);
}

}  // namespace
}  // namespace parvex
