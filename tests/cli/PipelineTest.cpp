// parvex-check as a pipeline step: hostile text never reaches the terminal raw, failed writes never
// pass for success, the JUnit report reads back, and the starting language is the window's.
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/cli/ChildProcess.h"
#include "tests/cli/MiniXml.h"
#include "tests/support/TempDir.h"
#include "tools/SampleImage.h"

namespace parvex {
namespace {

using test::Child;
using test::Stdout;
using test::TempDir;

const std::vector<std::string> kPlainEnv{"LANG=C", "NO_COLOR=1", "TERM=xterm"};

// Offset of the first middleware marker of the sample image: "[SDK+ACME:SOUNDLIB]".
constexpr std::size_t kAcmeMarker = 0x4000 + 0x9000;

class Pipeline : public ::testing::Test {
protected:
    TempDir dir;
    TempDir scratch;

    std::string sample(const std::string& name, const std::vector<std::uint8_t>& image) {
        return dir.write(name, image);
    }
    std::string clean(const std::string& name = "QPVXJ00.SRL") {
        return dir.write(name, buildSampleImage(sampleOptionsForName(name)));
    }
    Child check(std::vector<std::string> args, Stdout mode = Stdout::File,
                const std::vector<std::string>& env = kPlainEnv) {
        args.insert(args.begin(), {PARVEX_CHECK_PATH, "--side-dir", dir.path().string()});
        return test::runChild(args, env, scratch.path(), mode);
    }
};

// --- Safe text -----------------------------------------------------------------------------------

struct Hostile {
    const char* what;
    std::string bytes;    // what the image, list or file name holds
    std::string visible;  // how the report must show it
};

// Each payload tries to forge a line, move the cursor or reorder the text; "FORGED" marks what a
// forged line would start with.
const std::vector<Hostile>& hostiles() {
    static const std::vector<Hostile> kRows{
        {"ESC", "A\x1b[2J\x1b]0;T", "\\x1B"},
        {"BEL", "A\aB", "\\x07"},
        {"CR", "A\rFORGED", "\\r"},
        {"LF", "A\nFORGED", "\\n"},
        {"DEL",
         "A\x7f"
         "B",
         "\\x7F"},
        {"C1 CSI",
         "A\xc2\x9b"
         "2J",
         "\\u009B"},
        {"raw 9B",
         "A\x9b"
         "2J",
         "\xEF\xBF\xBD"},
        {"RLO",
         "A\xe2\x80\xae"
         "DEF",
         "\\u202E"},
        {"LRI",
         "A\xe2\x81\xa6"
         "DEF",
         "\\u2066"},
        {"invalid UTF-8", "A\xff\xfe\xc3", "\xEF\xBF\xBD"},
    };
    return kRows;
}

// Code points a terminal acts on: C0 but the line feed, DEL, C1, the bidi overrides and isolates.
// Returns a description of the first one found, or of the first invalid UTF-8 byte.
std::string firstUnsafe(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        if (len == 0 || i + static_cast<std::size_t>(len) > s.size()) return "invalid UTF-8 at " + std::to_string(i);
        std::uint32_t cp = len == 1 ? b : b & (0x7Fu >> len);
        for (int k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80) return "invalid UTF-8 at " + std::to_string(i);
            cp = cp << 6 | (c & 0x3Fu);
        }
        if ((cp < 0x20 && cp != '\n') || (cp >= 0x7F && cp <= 0x9F) || (cp >= 0x202A && cp <= 0x202E) ||
            (cp >= 0x2066 && cp <= 0x2069))
            return "code point " + std::to_string(cp) + " at " + std::to_string(i);
        i += static_cast<std::size_t>(len);
    }
    return "";
}

// A line the checker wrote: a file heading, an indented report row, a blank line, a message line.
bool checkerShaped(const std::string& line) {
    for (const char* start : {"== ", "  ", "error: ", "notice: ", "エラー: ", "注意: ", "parvex-check: "})
        if (line.rfind(start, 0) == 0) return true;
    return line.empty() || line == "There are no inconsistencies." || line == "矛盾点はありません。";
}

void expectSafe(const std::string& text, const Hostile& h, const std::string& where) {
    SCOPED_TRACE(std::string(h.what) + " in " + where);
    EXPECT_EQ(firstUnsafe(text), "");
    EXPECT_NE(text.find(h.visible), std::string::npos) << "the payload never reached the report:\n" << text;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        EXPECT_TRUE(checkerShaped(line)) << "a line the checker did not write: " << line;
        start = end + 1;
    }
}

enum class Place { Title, Module, FileName, MakerName, SideDirMessage, UsageMessage };

TEST_F(Pipeline, HostileTextIsShownEscapedWhereverItComesFrom) {
    for (const Hostile& h : hostiles()) {
        for (Place place : {Place::Title, Place::Module, Place::FileName, Place::MakerName, Place::SideDirMessage,
                            Place::UsageMessage}) {
            std::vector<std::uint8_t> image = buildSampleImage();
            std::string name = "QPVXJ00.SRL";
            std::vector<std::string> args;
            std::remove(dir.file("Dorclic.txt").c_str());
            switch (place) {
                case Place::Title:
                    ASSERT_LE(h.bytes.size(), 12u);
                    std::fill(image.begin(), image.begin() + 12, 0);
                    std::copy(h.bytes.begin(), h.bytes.end(), image.begin());
                    finalizeChecksums(image);
                    break;
                case Place::Module: {
                    const std::string marker = "[SDK+ACME:" + h.bytes + "]";
                    std::copy(marker.begin(), marker.end(), image.begin() + kAcmeMarker);
                    break;
                }
                case Place::FileName: name = "Q" + h.bytes + ".SRL"; break;
                case Place::MakerName:
                    // The Japanese name is shown whole, up to its comma.
                    dir.write("Dorclic.txt", "01," + h.bytes + ",Alpha Games\n");
                    args = {"--lang", "ja"};
                    break;
                case Place::SideDirMessage: name = "Q" + h.bytes + ".SRL"; break;
                case Place::UsageMessage: break;
            }
            const std::string path = sample(name, image);
            if (place == Place::SideDirMessage) {
                const Child c =
                    test::runChild({PARVEX_CHECK_PATH, "--side-dir", path, path}, kPlainEnv, scratch.path());
                EXPECT_EQ(c.status, 2);
                expectSafe(c.err, h, "the --side-dir message");
                continue;
            }
            if (place == Place::UsageMessage) {
                const Child c = check({"--Z" + h.bytes, path});
                EXPECT_EQ(c.status, 2);
                expectSafe(c.err, h, "a usage message");
                continue;
            }
            args.push_back(path);
            const Child c = check(args);
            EXPECT_EQ(c.err, "");
            expectSafe(c.out, h, std::to_string(static_cast<int>(place)));
            std::remove(path.c_str());
        }
    }
}

TEST_F(Pipeline, JsonKeepsTheBytesItEscapesItself) {
    auto image = buildSampleImage();
    const std::string title = "A\x1b[2J\nB";
    std::copy(title.begin(), title.end(), image.begin());
    finalizeChecksums(image);
    const Child c = check({"--json", sample("QPVXJ00.SRL", image)});
    const auto doc = nlohmann::json::parse(c.out);
    EXPECT_EQ(doc["runs"][0]["fields"]["Game_Title"]["text"].get<std::string>().find('\x1b'), 1u);
}

// --- Write failures ------------------------------------------------------------------------------

TEST_F(Pipeline, AReportThatCannotBeWrittenExitsThree) {
    const std::string clean = this->clean();
    const std::string junit = dir.file("report.xml");
    struct Mode {
        const char* what;
        std::vector<std::string> args;
    };
    const std::vector<Mode> modes{{"text", {clean}},
                                  {"json", {"--json", clean}},
                                  {"text+junit", {"--junit", junit, clean}},
                                  {"json+junit", {"--json", "--junit", junit, clean}},
                                  {"help", {"--help"}}};
    for (const Mode& m : modes) {
        for (Stdout out : {Stdout::DevFull, Stdout::Closed, Stdout::PipeWithoutReader}) {
            SCOPED_TRACE(std::string(m.what) + " stdout mode " + std::to_string(static_cast<int>(out)));
            const Child c = check(m.args, out);
            EXPECT_EQ(c.status, 3);
            if (out == Stdout::PipeWithoutReader) continue;  // a reader that left needs no message
            EXPECT_EQ(c.err.rfind("parvex-check: ", 0), 0u) << c.err;
            EXPECT_EQ(std::count(c.err.begin(), c.err.end(), '\n'), 1) << c.err;
        }
        // The same run with a working stdout is fine: the failure above was the write alone.
        EXPECT_EQ(check(m.args).status, 0) << m.what;
    }
}

TEST_F(Pipeline, AJUnitFileThatCannotBeWrittenExitsThree) {
    const std::string clean = this->clean();
    for (const std::string& target :
         {std::string("/dev/full"), dir.file("no/such/dir/report.xml"), dir.path().string()}) {
        const Child c = check({"--junit", target, clean});
        EXPECT_EQ(c.status, 3) << target;
        EXPECT_EQ(std::count(c.err.begin(), c.err.end(), '\n'), 1) << c.err;
    }
}

// --- Where the JUnit report may go ---------------------------------------------------------------

enum class Lands { Refused, File, Stdout };

struct JUnitPathRow {
    const char* name;
    // Makes what --junit names, given the directory and the image on the line; returns the argument.
    std::function<std::string(const TempDir&, const std::string&)> make;
    Lands lands;
};

void PrintTo(const JUnitPathRow& row, std::ostream* os) { *os << row.name; }

class JUnitPath : public Pipeline, public ::testing::WithParamInterface<JUnitPathRow> {};

TEST_P(JUnitPath, NeverLandsOnAnImageOrAnotherFile) {
    const JUnitPathRow& row = GetParam();
    const std::string image = clean();
    const std::string junit = row.make(dir, image);
    const std::string imageBefore = test::slurp(image);
    // Only a regular file is read: /dev/stdout here is the test's own output.
    const std::string junitBefore = std::filesystem::is_regular_file(junit) ? test::slurp(junit) : "";
    const auto entries = [&] { return std::distance(std::filesystem::directory_iterator(dir.path()), {}); };
    const auto expectedEntries = entries() + (row.lands == Lands::File && !std::filesystem::exists(junit));
    const Child c = check({"--lang", "en", "--junit", junit, image});
    EXPECT_EQ(test::slurp(image), imageBefore);
    EXPECT_EQ(entries(), expectedEntries) << "no temporary file is left, nothing else is made";
    switch (row.lands) {
        case Lands::Refused:
            EXPECT_EQ(c.status, 2);
            EXPECT_EQ(c.out, "") << "nothing is checked";
            EXPECT_EQ(c.err.rfind("parvex-check: --junit", 0), 0u) << c.err;
            EXPECT_EQ(std::count(c.err.begin(), c.err.end(), '\n'), 1) << c.err;
            if (!junitBefore.empty()) {
                EXPECT_EQ(test::slurp(junit), junitBefore);
            }
            break;
        case Lands::File: {
            EXPECT_EQ(c.status, 0) << c.err;
            const auto root = test::MiniXml(test::slurp(junit)).parse();
            ASSERT_TRUE(root);
            EXPECT_EQ(root->all("testcase").size(), 1u);
            break;
        }
        case Lands::Stdout:
            EXPECT_EQ(c.status, 0) << c.err;
            // After the text report, which stays whole.
            EXPECT_EQ(c.out.rfind("== ", 0), 0u) << c.out;
            EXPECT_NE(c.out.find("There are no inconsistencies.\n<?xml version=\"1.0\""), std::string::npos) << c.out;
            EXPECT_NE(c.out.find("</testsuites>\n"), std::string::npos);
            break;
    }
    if (junit == dir.file("mylink")) {
        EXPECT_TRUE(std::filesystem::is_symlink(junit)) << "a link stays a link";
    }
}

std::string linkTo(const TempDir& d, const std::string& to) {
    std::filesystem::create_symlink(to, d.path() / "mylink");
    return d.file("mylink");
}

INSTANTIATE_TEST_SUITE_P(
    Paths, JUnitPath,
    ::testing::Values(
        JUnitPathRow{"TheImageItself", [](const TempDir&, const std::string& image) { return image; },
                     Lands::Refused},
        JUnitPathRow{"TheImageSpelledOtherwise",
                     [](const TempDir& d, const std::string&) { return d.path().string() + "/./QPVXJ00.SRL"; },
                     Lands::Refused},
        JUnitPathRow{"ALinkToTheImage", [](const TempDir& d, const std::string& image) { return linkTo(d, image); },
                     Lands::Refused},
        JUnitPathRow{"AnImageNotOnTheLine",
                     [](const TempDir& d, const std::string&) {
                         return d.write("QOTHJ00.SRL", buildSampleImage(sampleOptionsForName("QOTHJ00.SRL")));
                     },
                     Lands::Refused},
        JUnitPathRow{"SomeOtherXml",
                     [](const TempDir& d, const std::string&) {
                         return d.write("pom.xml", std::string("<?xml version=\"1.0\"?><project/>"));
                     },
                     Lands::Refused},
        JUnitPathRow{"AnEmptyPath", [](const TempDir&, const std::string&) { return std::string(); }, Lands::Refused},
        JUnitPathRow{"AnEarlierReport",
                     [](const TempDir& d, const std::string&) {
                         return d.write("r.xml",
                                        std::string("<?xml version=\"1.0\"?>\n<testsuites name=\"old\"/>\n"));
                     },
                     Lands::File},
        JUnitPathRow{"AnEmptyFile",
                     [](const TempDir& d, const std::string&) { return d.write("r.xml", std::string()); },
                     Lands::File},
        JUnitPathRow{"ANewFile", [](const TempDir& d, const std::string&) { return d.file("new.xml"); }, Lands::File},
        JUnitPathRow{"Dash", [](const TempDir&, const std::string&) { return std::string("-"); }, Lands::Stdout},
        JUnitPathRow{"DevStdout", [](const TempDir&, const std::string&) { return std::string("/dev/stdout"); },
                     Lands::Stdout},
        JUnitPathRow{"ALinkToStandardOutput",
                     [](const TempDir& d, const std::string&) { return linkTo(d, "/proc/self/fd/1"); },
                     Lands::Stdout}),
    [](const auto& p) { return std::string(p.param.name); });

// Whatever happened to standard output, the JUnit report is whole, and the status still says 3.
TEST_F(Pipeline, TheJUnitReportIsWrittenWhenStandardOutputFails) {
    const std::string image = clean();
    for (Stdout out : {Stdout::DevFull, Stdout::Closed, Stdout::PipeWithoutReader}) {
        for (const char* format : {"--lang", "--json"}) {
            const std::string junit = dir.file("r.xml");
            std::filesystem::remove(junit);
            std::vector<std::string> args{format, "--junit", junit, image, image};
            if (std::string(format) == "--lang") args.insert(args.begin() + 1, "en");
            const Child c = check(args, out);
            EXPECT_EQ(c.status, 3) << static_cast<int>(out) << format;
            const auto root = test::MiniXml(test::slurp(junit)).parse();
            ASSERT_TRUE(root) << static_cast<int>(out) << format;
            EXPECT_EQ(root->all("testcase").size(), 2u) << "every image, not only those before the failure";
        }
    }
}

// --- parvex-sample on a failing disk -------------------------------------------------------------

TEST_F(Pipeline, SampleToolLeavesNothingBehindAndSaysWhy) {
    for (const bool force : {false, true}) {
        const std::string target = dir.file("QPVXJ00.SRL");
        std::filesystem::remove(target);
        if (force) dir.write("QPVXJ00.SRL", std::string("keep me"));
        const std::string errPath = scratch.file("sample.err");
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // A file-size limit under the image's 16 MiB fails the write as a full disk would.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{1u << 20, 1u << 20};
            setrlimit(RLIMIT_FSIZE, &limit);
            dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
            if (force) execl(PARVEX_SAMPLE_PATH, PARVEX_SAMPLE_PATH, "--force", target.c_str(), nullptr);
            else execl(PARVEX_SAMPLE_PATH, PARVEX_SAMPLE_PATH, target.c_str(), nullptr);
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        EXPECT_EQ(test::slurp(errPath), "parvex-sample: cannot write " + target + ": File too large\n");
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            left.push_back(entry.path().string());
        EXPECT_EQ(left, force ? std::vector<std::string>{target} : std::vector<std::string>{});
        if (force) {
            EXPECT_EQ(test::slurp(target), "keep me");
        }
    }
}

// --- JUnit ---------------------------------------------------------------------------------------

std::unique_ptr<test::XmlElement> parseXml(const std::string& text) {
    test::MiniXml reader(text);
    auto root = reader.parse();
    EXPECT_TRUE(root) << reader.error() << "\n" << text;
    return root;
}

TEST_F(Pipeline, JUnitReadsBackWithOneCasePerImage) {
    const std::string a = clean("QAAAJ00.SRL");
    auto faulty = buildSampleImage(sampleOptionsForName("QBBBJ00.SRL"));
    faulty[0x013] = 1;
    faulty[0x012] = 1;
    finalizeChecksums(faulty);
    const std::string b = sample("QBBBJ00.SRL", faulty);
    auto hostile = buildSampleImage();
    const std::string title = "<&\"\x1b\x01\xff]]>";
    std::copy(title.begin(), title.end(), hostile.begin());
    finalizeChecksums(hostile);
    const std::string c = sample("Q<&\x1b\n'.SRL", hostile);
    const std::string missing = dir.file("missing.SRL");
    const std::string junit = dir.file("report.xml");
    dir.write("report.xml", "<?xml version=\"1.0\"?>\n<testsuites name=\"stale\"/>\n");

    for (const bool json : {false, true}) {
        std::vector<std::string> args{"--junit", junit, a, b, c, missing};
        if (json) args.insert(args.begin(), "--json");
        const Child run = check(args);
        EXPECT_EQ(run.status, 2);  // the missing image
        const auto root = parseXml(test::slurp(junit));
        ASSERT_TRUE(root);
        const auto suites =
            root->name == "testsuite" ? std::vector<const test::XmlElement*>{root.get()} : root->all("testsuite");
        ASSERT_EQ(suites.size(), 1u);
        const test::XmlElement& suite = *suites[0];
        EXPECT_EQ(suite.attributes.at("name"), "parvex-check");
        const auto cases = suite.all("testcase");
        ASSERT_EQ(cases.size(), 4u);
        EXPECT_EQ(suite.attributes.at("tests"), "4");
        EXPECT_EQ(suite.attributes.at("failures"), std::to_string(suite.all("failure").size()));
        EXPECT_EQ(suite.attributes.at("errors"), std::to_string(suite.all("error").size()));
        EXPECT_EQ(suite.all("failure").size(), 2u);
        EXPECT_EQ(suite.all("error").size(), 1u);
        EXPECT_GE(std::stod(suite.attributes.at("time")), 0.0);
        EXPECT_EQ(cases[0]->attributes.at("name"), a);
        EXPECT_TRUE(cases[0]->children.empty());
        EXPECT_EQ(cases[1]->attributes.at("name"), b);
        const auto failure = cases[1]->all("failure");
        ASSERT_EQ(failure.size(), 1u);
        EXPECT_EQ(failure[0]->attributes.at("message"), "'Product Code' is incorrect.");
        EXPECT_EQ(failure[0]->text, "'Product Code' is incorrect.\n'Device Code' is incorrect.\n");
        // The hostile name comes back shown the way the text report shows it.
        EXPECT_EQ(cases[2]->attributes.at("name"), dir.file("Q<&\\x1B\\n'.SRL"));
        ASSERT_EQ(cases[3]->all("error").size(), 1u);
        EXPECT_EQ(cases[3]->all("error")[0]->attributes.at("message"), "Unable to open File.");
    }
    // Written under another name and renamed: nothing else is left beside it.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(Pipeline, NoticesGoToSystemOutAndOpenFailuresAreErrors) {
    auto padded = buildSampleImage();
    // A second half of padding: the wasted-capacity notice and nothing else.
    std::fill(padded.begin() + static_cast<std::ptrdiff_t>(kSampleSize / 2), padded.end(), 0xFF);
    const std::string notice = sample("QPVXJ00.SRL", padded);
    const std::string junit = dir.file("n.xml");
    EXPECT_EQ(check({"--crc", "--junit", junit, notice, dir.file("gone.SRL")}).status, 2);
    const auto root = parseXml(test::slurp(junit));
    ASSERT_TRUE(root);
    const auto cases = root->all("testcase");
    ASSERT_EQ(cases.size(), 2u);
    const auto out = cases[0]->all("system-out");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0]->text.rfind("Warning: 'Device Capacity' is set to a value that wastes space", 0), 0u);
    EXPECT_TRUE(cases[0]->all("failure").empty());
    const auto error = cases[1]->all("error");
    ASSERT_EQ(error.size(), 1u);
    // Both open failures, the run's and the CRC command's, are in the body.
    EXPECT_EQ(std::count(error[0]->text.begin(), error[0]->text.end(), '\n'), 2) << error[0]->text;
    EXPECT_TRUE(root->all("failure").empty());
}

// --- Starting language ---------------------------------------------------------------------------

TEST_F(Pipeline, StartingLanguageIsTheWindowsForBothLanguages) {
    const std::string faulty = [&] {
        auto image = buildSampleImage();
        image[0x012] = 1;
        finalizeChecksums(image);
        return sample("QPVXJ00.SRL", image);
    }();
    for (const char* lang : {"en", "ja"}) {
        const auto at = [&](const char* switches) {
            return nlohmann::json::parse(
                check({"--json", "--lang", lang, "--switch", switches, faulty}).out)["runs"][0];
        };
        const auto none = at("0");
        const auto two = at("2");
        EXPECT_EQ(none["controls"], two["controls"]) << lang;
        EXPECT_EQ(none["findings"], two["findings"]) << lang;
        EXPECT_EQ(none["language"], lang);
    }
    const auto en = nlohmann::json::parse(check({"--json", "--lang", "en", faulty}).out)["runs"][0];
    EXPECT_EQ(en["controls"]["PROM_size"]["caption"], "Actual file Size");
}

// --- Colour, prefixes, labels, side directory ----------------------------------------------------

TEST_F(Pipeline, ColourOnlyWhenAskedAndTheMarkerAlways) {
    auto image = buildSampleImage();
    image[0x013] = 1;
    finalizeChecksums(image);
    const std::string faulty = sample("QPVXJ00.SRL", image);
    struct Row {
        std::vector<std::string> args;
        std::vector<std::string> env;
        bool colour;
    };
    // stdout is a file here, so auto never colours.
    const std::vector<Row> rows{{{"--color", "always"}, kPlainEnv, true},
                                {{"--color", "always"}, {"NO_COLOR=1", "TERM=dumb"}, true},
                                {{"--color", "never"}, {"TERM=xterm"}, false},
                                {{"--color", "auto"}, {"TERM=xterm"}, false},
                                {{}, {"TERM=xterm"}, false}};
    for (const Row& r : rows) {
        auto args = r.args;
        args.push_back(faulty);
        const Child c = check(args, Stdout::File, r.env);
        EXPECT_EQ(c.out.find("\x1b[31m") != std::string::npos, r.colour) << c.out;
        EXPECT_NE(c.out.find("Error (!)"), std::string::npos) << c.out;
    }
    EXPECT_EQ(check({"--color", "sometimes", faulty}).status, 2);
}

// A terminal as standard output: what --color auto decides from TERM and NO_COLOR.
TEST_F(Pipeline, AutoColourOnATerminalFollowsTermAndNoColor) {
    auto image = buildSampleImage();
    image[0x013] = 1;
    finalizeChecksums(image);
    const std::string faulty = sample("QPVXJ00.SRL", image);
    struct Row {
        std::vector<std::string> env;
        bool colour;
    };
    const std::vector<Row> rows{{{"TERM=xterm"}, true},
                                {{"TERM=xterm", "NO_COLOR="}, true},
                                {{"TERM=xterm", "NO_COLOR=1"}, false},
                                {{"TERM=dumb"}, false},
                                {{"TERM=dumb", "NO_COLOR="}, false}};
    for (const Row& r : rows) {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0) GTEST_SKIP() << "no pseudo-terminal here";
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
        ASSERT_GE(slave, 0);
        std::vector<std::string> env = r.env;
        env.push_back("LANG=C");
        const Child c = test::runChild({PARVEX_CHECK_PATH, "--side-dir", dir.path().string(), faulty}, env,
                                       scratch.path(), Stdout::Descriptor, slave);
        close(slave);
        // The report is far smaller than the terminal's buffer: it is all there once the child is gone.
        std::string shown;
        char buf[4096];
        for (;;) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 200) <= 0) break;
            const ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0) break;
            shown.append(buf, static_cast<std::size_t>(n));
        }
        close(master);
        EXPECT_EQ(c.status, 1);
        EXPECT_NE(shown.find("Error (!)"), std::string::npos) << shown;
        EXPECT_EQ(shown.find("\x1b[31m") != std::string::npos, r.colour) << r.env.back();
    }
}

TEST_F(Pipeline, PrefixesFollowTheLanguage) {
    auto image = buildSampleImage();
    image[0x013] = 1;
    finalizeChecksums(image);
    const std::string faulty = sample("QPVXJ00.SRL", image);
    const std::string ja = check({"--lang", "ja", faulty, dir.file("nope")}).out;
    EXPECT_NE(ja.find("\nエラー: "), std::string::npos) << ja;
    EXPECT_NE(ja.find("\n注意: "), std::string::npos) << ja;
    EXPECT_EQ(ja.find("error:"), std::string::npos);
    const std::string en = check({"--lang", "en", faulty, dir.file("nope")}).out;
    EXPECT_NE(en.find("\nerror: 'Device Code' is incorrect."), std::string::npos) << en;
    EXPECT_NE(en.find("\nnotice: Unable to open File."), std::string::npos) << en;
    EXPECT_EQ(en.find("エラー"), std::string::npos);
}

TEST_F(Pipeline, RomControlDetailCarriesItsLabelWhenShown) {
    const std::string image = clean();
    const auto controlLine = [&] {
        const std::string out = check({image}).out;
        const auto at = out.find("ROM Control Info.");
        return out.substr(at, out.find('\n', at) - at);
    };
    EXPECT_EQ(controlLine().find("MROM"), std::string::npos);
    dir.write("ferin.ini", "");
    EXPECT_NE(controlLine().find("MaskROM  MROM 0"), std::string::npos) << controlLine();
}

TEST_F(Pipeline, SideDirectoryMustBeADirectory) {
    const std::string image = clean();
    for (const std::string& side : {dir.file("absent"), image}) {
        const Child c = test::runChild({PARVEX_CHECK_PATH, "--side-dir", side, image}, kPlainEnv, scratch.path());
        EXPECT_EQ(c.status, 2) << side;
        EXPECT_NE(c.err.find("--side-dir " + side + ": "), std::string::npos) << c.err;
        EXPECT_EQ(c.out, "");
    }
}

TEST_F(Pipeline, HelpTellsWhatAPipelineNeeds) {
    const Child c = check({"--help"});
    EXPECT_EQ(c.status, 0);
    for (const char* needed : {"Exit status", "  0 ", "  1 ", "  2 ", "  3 ", "LANG", "NO_COLOR", "--color",
                               "--junit", "0 to 1000", "the program's directory", "$XDG_CONFIG_HOME/parvex",
                               "~/.config/parvex", "/etc/parvex", "--side-dir DIR looks in DIR alone"})
        EXPECT_NE(c.out.find(needed), std::string::npos) << needed;
    // The help names no folder of the machine it runs on: the manual page is made from it.
    EXPECT_EQ(c.out.find(std::filesystem::path(PARVEX_CHECK_PATH).parent_path().string()), std::string::npos);
}

TEST_F(Pipeline, SideFilesComeFromTheSearchUnlessSideDirNamesOneFolder) {
    const std::string image = clean();
    TempDir config;
    std::filesystem::create_directory(config.path() / "parvex");
    config.write("parvex/Dorclic.txt", "01,Cfg Maker,Cfg Maker\n");
    config.write("parvex/ferin.ini", "");
    const auto makerLine = [&](std::vector<std::string> args, const std::string& home) {
        args.insert(args.begin(), PARVEX_CHECK_PATH);
        std::vector<std::string> env = kPlainEnv;
        env.push_back(home);
        const std::string out = test::runChild(args, env, scratch.path()).out;
        const auto at = out.find("Maker Code");
        const bool mrom = out.find("MROM") != std::string::npos;
        return out.substr(at, out.find('\n', at) - at) + (mrom ? " +MROM" : "");
    };
    const std::string xdg = "XDG_CONFIG_HOME=" + config.path().string();
    EXPECT_NE(makerLine({image}, xdg).find("30 31  Cfg +MROM"), std::string::npos) << makerLine({image}, xdg);
    // HOME/.config stands in for an unset XDG_CONFIG_HOME.
    TempDir home;
    std::filesystem::create_directories(home.path() / ".config/parvex");
    home.write(".config/parvex/Dorclic.txt", "01,Home Maker,Home Maker\n");
    const std::string homeEnv = "HOME=" + home.path().string();
    EXPECT_NE(makerLine({image}, homeEnv).find("30 31  Home"), std::string::npos) << makerLine({image}, homeEnv);
    // --side-dir is the only folder looked in: an empty one shows no name and no extras.
    const std::string shown = makerLine({"--side-dir", dir.path().string(), image}, xdg);
    EXPECT_EQ(shown.find("Cfg"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("MROM"), std::string::npos) << shown;
}

// --- parvex-sample -------------------------------------------------------------------------------

TEST_F(Pipeline, SampleToolHasARealCommandLine) {
    const auto sampleTool = [&](std::vector<std::string> args) {
        args.insert(args.begin(), PARVEX_SAMPLE_PATH);
        return test::runChild(args, kPlainEnv, scratch.path());
    };
    const std::string here = dir.file("QPVXJ00.SRL");
    struct Row {
        std::vector<std::string> args;
        int status;
        const char* shows;
    };
    const std::vector<Row> rows{{{"--help"}, 0, "--force"},
                                {{"--version"}, 0, "1.26"},
                                {{"-v"}, 2, ""},
                                {{"--bogus", here}, 2, ""},
                                {{}, 2, ""}};
    for (const Row& r : rows) {
        const Child c = sampleTool(r.args);
        EXPECT_EQ(c.status, r.status) << r.args.size();
        EXPECT_NE(c.out.find(r.shows), std::string::npos);
    }
    // Nothing was written under an option's name, nor anything at all.
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    EXPECT_EQ(sampleTool({here}).status, 0);
    EXPECT_EQ(std::filesystem::file_size(here), kSampleSize);
    EXPECT_EQ(check({here}).status, 0);

    dir.write("QPVXJ00.SRL", std::string("keep me"));
    const Child refused = sampleTool({here});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(test::slurp(here), "keep me");
    EXPECT_EQ(sampleTool({"--force", here}).status, 0);
    EXPECT_EQ(std::filesystem::file_size(here), kSampleSize);
}

// --- The maker list's byte-order mark ------------------------------------------------------------

TEST_F(Pipeline, ByteOrderMarkIsSkippedOnlyInUtf8Lists) {
    struct Row {
        const char* what;
        std::string list;
        std::string makerCode;
        std::string shown;
    };
    const std::vector<Row> rows{
        {"UTF-8 with a mark",
         "\xEF\xBB\xBF"
         "01,アルファ,Alpha Games\n",
         "01", "Alpha"},
        {"UTF-8 without", "01,アルファ,Alpha Games\n", "01", "Alpha"},
        // Not UTF-8 as a whole: the same three bytes are Shift-JIS text and the first code.
        {"Shift-JIS", "\xEF\xBB\xBF\x83\x41,Beta Soft\n", "\xEF\xBB", "Beta"},
        {"Shift-JIS, mark-like bytes not first", "01,\x83\x41,Gamma Works\n", "01", "Gamma"},
    };
    for (const Row& r : rows) {
        auto image = buildSampleImage();
        std::copy(r.makerCode.begin(), r.makerCode.end(), image.begin() + 0x010);
        finalizeChecksums(image);
        dir.write("Dorclic.txt", r.list);
        const auto doc = nlohmann::json::parse(check({"--json", "--lang", "en", sample("QPVXJ00.SRL", image)}).out);
        EXPECT_EQ(doc["runs"][0]["fields"]["Maker"]["text"], r.shown) << r.what;
    }
}

}  // namespace
}  // namespace parvex
