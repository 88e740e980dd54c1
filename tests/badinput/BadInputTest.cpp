// Bad input given to parvex-check: paths that are no image, images that are cut, huge or oddly
// named, side files that are no list. Every row must end in time with its own clear result, never
// a crash or a hang, and no image is ever changed, not even by the CRC command.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "CheckerProcess.h"
#include "FileFingerprint.h"
#include "core/RomHeader.h"
#include "tests/support/TempDir.h"
#include "tools/SampleImage.h"

namespace parvex {
namespace {

using test::TempDir;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kGiB = 1ull << 30;
constexpr const char* kCleanName = "QPVXJ00.SRL";
constexpr const char* kOpenFailed = "notice: Unable to open File.";
constexpr const char* kCrcOpenFailed = "notice: Can't open File.";
constexpr const char* kSizeWrong = "error: 'Actual file size' is incorrect.";
constexpr const char* kCapacityDisagrees = "error: 'Device Capacity' does not agree with Actual file size.";
constexpr const char* kWasted =
    "notice: Warning: 'Device Capacity' is set to a value that wastes space when compared to ROM capacity.";
constexpr const char* kSyscallDefault = "error: The current 'libsyscall.a' is the default version.";
constexpr const char* kHeaderCrcWrong = "error: ROM Header CRC does not agree with the calculation result.";
constexpr const char* kNameNotOfTheForm =
    "error: File name format is incorrect. Please refer to 'Master ROM Submission Guidelines'.";
constexpr const char* kNoInconsistencies = "There are no inconsistencies.";

// Removes a tree that may be deeper than any path can name, one directory handle at a time.
void removeTree(int parent, const char* name) {
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        if (DIR* dir = fdopendir(fd)) {
            std::vector<std::string> names;
            while (const dirent* e = readdir(dir))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
            for (const std::string& n : names) {
                if (unlinkat(dirfd(dir), n.c_str(), 0) != 0) removeTree(dirfd(dir), n.c_str());
            }
            closedir(dir);
        } else {
            close(fd);
        }
    }
    unlinkat(parent, name, AT_REMOVEDIR);
}

// One row's files: an image or a path that is none, and a directory for the side files.
class Scene {
public:
    Scene() { mkdir(sideDir().c_str(), 0755); }
    ~Scene() {
        if (m_deep >= 0) close(m_deep);
        if (!m_deepRoot.empty()) removeTree(AT_FDCWD, m_deepRoot.c_str());
        chmod(m_dir.path().c_str(), 0700);
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    std::string file(const std::string& name) const { return m_dir.file(name); }
    std::string sideDir() const { return m_dir.file("side"); }
    std::string sideFile(const std::string& name) const { return sideDir() + "/" + name; }
    const std::string& root() const { return m_dir.path().native(); }

    std::string write(const std::string& name, const Bytes& bytes) { return m_dir.write(name, bytes); }

    // The sample image under a name of the submission form, after an optional change.
    std::string sample(const std::string& name = kCleanName, const std::function<void(Bytes&)>& change = {}) {
        Bytes image = buildSampleImage(sampleOptionsForName(kCleanName));
        if (change) {
            change(image);
            finalizeChecksums(image);
        }
        return write(name, image);
    }

    // The sample's first 64 KiB with capacity code 0Fh (32 Gbit), stretched to size without data.
    std::string sparse(std::uint64_t size) {
        Bytes head = buildSampleImage(sampleOptionsForName(kCleanName));
        head.resize(std::size_t{64} * 1024);
        head[kDeviceCapacity] = 0x0F;
        finalizeChecksums(head);
        std::string path = write(kCleanName, head);
        if (truncate(path.c_str(), static_cast<off_t>(size)) != 0) ADD_FAILURE() << "cannot stretch " << path;
        return path;
    }

    // The clean sample at the bottom of nested directories, the whole path about length long.
    // Directories are made one handle at a time, so a path beyond what the system can name works too.
    std::string deep(std::size_t length) {
        const std::string component(200, 'd');
        m_deepRoot = file(component);
        std::string path = root();
        int fd = open(root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        while (path.size() + 1 + component.size() + 1 + std::string(kCleanName).size() <= length) {
            mkdirat(fd, component.c_str(), 0755);
            const int next = openat(fd, component.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            close(fd);
            fd = next;
            path += "/" + component;
        }
        const Bytes image = buildSampleImage(sampleOptionsForName(kCleanName));
        const int out = openat(fd, kCleanName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (out < 0 || ::write(out, image.data(), image.size()) != static_cast<ssize_t>(image.size()))
            ADD_FAILURE() << "cannot write the deep image";
        if (out >= 0) close(out);
        m_deep = fd;
        m_deepImage = "/proc/self/fd/" + std::to_string(fd) + "/" + kCleanName;
        return path + "/" + kCleanName;
    }
    // A name under which the deep image can be looked at, whatever its length.
    const std::string& deepImage() const { return m_deepImage; }

    void makeReachableByAll() { chmod(root().c_str(), 0755); }

private:
    TempDir m_dir;
    std::string m_deepRoot;
    std::string m_deepImage;
    int m_deep = -1;
};

struct Input {
    std::string path;           // what is named on the command line
    std::string watched;        // the image that must stay unchanged ("" when there is none)
    bool unprivileged = false;  // run as a user that root's rights do not cover
};

struct Row {
    const char* name;
    std::function<Input(Scene&)> make;
    int status;                         // the exit status parvex-check must end with
    std::vector<std::string> findings;  // "severity: text" lines that must be in the list
    std::vector<std::string> absent;    // lines that must not be
    std::function<void(const nlohmann::json& run)> check = {};
    int seconds = 60;
};

std::ostream& operator<<(std::ostream& os, const Row& row) { return os << row.name; }

const nlohmann::json& field(const nlohmann::json& run, const char* name) { return run["fields"][name]; }

void expectText(const nlohmann::json& run, const char* name, const std::string& text) {
    EXPECT_EQ(field(run, name)["text"], text) << name;
}

void expectHidden(const nlohmann::json& run, const char* name, bool hidden) {
    EXPECT_EQ(field(run, name)["visible"], !hidden) << name;
}

std::vector<std::string> findingLines(const nlohmann::json& run) {
    std::vector<std::string> lines;
    for (const auto& f : run["findings"])
        lines.push_back(f["severity"].get<std::string>() + ": " + f["text"].get<std::string>());
    return lines;
}

bool isRoot() { return geteuid() == 0; }

Input plain(std::string path) {
    Input s;
    s.watched = path;
    s.path = std::move(path);
    return s;
}

Bytes junk(std::size_t n, std::uint32_t seed) {
    Bytes b(n);
    for (auto& x : b) {
        seed = seed * 1103515245u + 12345u;
        x = static_cast<std::uint8_t>(seed >> 16);
    }
    return b;
}

const std::vector<Row> kRows = {
    // Paths that name no image.
    {"MissingFileIsReportedNotOpened",
     [](Scene& s) {
         return Input{s.file("absent.SRL"), ""};
     },
     2,
     {kOpenFailed, kCrcOpenFailed},
     {}},
    {"DirectoryIsNotOpenedAsAnImage",
     [](Scene& s) {
         mkdir(s.file("folder.SRL").c_str(), 0755);
         return plain(s.file("folder.SRL"));
     },
     2,
     {kOpenFailed, kCrcOpenFailed},
     {}},
    {"FifoDoesNotBlockTheChecker",
     [](Scene& s) {
         mkfifo(s.file("pipe.SRL").c_str(), 0644);
         return Input{s.file("pipe.SRL"), ""};
     },
     2,
     {kOpenFailed, kCrcOpenFailed},
     {},
     {},
     20},
    {"DevZeroIsNotReadForever",
     [](Scene&) {
         return Input{"/dev/zero", ""};
     },
     2,
     {kOpenFailed, kCrcOpenFailed},
     {},
     {},
     20},
    {"UnreadableFileIsNotOpened",
     [](Scene& s) {
         Input setup = plain(s.sample());
         chmod(setup.path.c_str(), 0);
         // Root reads any file whatever its mode: the checker then runs as an ordinary user.
         s.makeReachableByAll();
         setup.unprivileged = isRoot();
         return setup;
     },
     2,
     {kOpenFailed, kCrcOpenFailed},
     {}},
    {"ReadableFileOpensForTheSameUser",
     [](Scene& s) {
         Input setup = plain(s.sample());
         s.makeReachableByAll();
         setup.unprivileged = isRoot();
         return setup;
     },
     0,
     {},
     {kOpenFailed},
     [](const nlohmann::json& run) { EXPECT_EQ(run["messages"]["text"], kNoInconsistencies); }},

    // Images too short for their header.
    {"EmptyFileRunsEveryCheck",
     [](Scene& s) { return plain(s.write(kCleanName, {})); },
     1,
     {kSizeWrong, kCapacityDisagrees, kSyscallDefault},
     {kOpenFailed},
     [](const nlohmann::json& run) {
         EXPECT_EQ(run["state"]["file_size"], 0);
         expectText(run, "CRC_ans", "0000");
         EXPECT_TRUE(run["sdk"].empty());
     }},
    {"OneByteFileLeavesItsOddByteOutOfTheCrc",
     [](Scene& s) { return plain(s.write(kCleanName, {'Q'})); },
     1,
     {kSizeWrong},
     {kOpenFailed},
     [](const nlohmann::json& run) {
         EXPECT_EQ(run["state"]["file_size"], 1);
         expectText(run, "Game_Title", "Q");
         expectText(run, "CRC_ans", "0000");
     }},
    {"HeaderCutInsideTheTitle",
     [](Scene& s) {
         Bytes image = buildSampleImage();
         image.resize(6);
         return plain(s.write(kCleanName, image));
     },
     1,
     {kSizeWrong, kHeaderCrcWrong},
     {kOpenFailed},
     [](const nlohmann::json& run) {
         expectText(run, "Game_Title", "PARVEX");
         expectText(run, "Title_Code", "50 41 52 56 45 58 00 00 00 00 00 00");
     }},
    {"HeaderCutBeforeItsOwnCrc",
     [](Scene& s) {
         Bytes image = buildSampleImage();
         image.resize(kHeaderCrc);
         return plain(s.write(kCleanName, image));
     },
     1,
     {kSizeWrong, kHeaderCrcWrong},
     {kOpenFailed},
     [](const nlohmann::json& run) {
         EXPECT_EQ(run["state"]["file_size"], kHeaderCrc);
         expectText(run, "CRC_header", "00 00");
     }},

    // Offsets that point past the end of the image.
    {"Arm9OffsetPastTheEndReadsNothing",
     [](Scene& s) {
         return plain(s.sample(kCleanName, [](Bytes& img) {
             const auto past = static_cast<std::uint32_t>(img.size() + 0x100);
             for (std::size_t k = 0; k < 4; ++k) img[kArm9RomOffset + k] = static_cast<std::uint8_t>(past >> (8 * k));
         }));
     },
     1,
     {kSyscallDefault},
     {kOpenFailed},
     [](const nlohmann::json& run) { expectText(run, "Edit8", std::to_string(kSampleSize + 0x100)); }},
    {"Arm9OffsetFFFFFFFFIsShownUnsigned",
     [](Scene& s) {
         return plain(s.sample(kCleanName, [](Bytes& img) {
             for (std::size_t k = 0; k < 4; ++k) img[kArm9RomOffset + k] = 0xFF;
         }));
     },
     1,
     {kSyscallDefault},
     {kOpenFailed},
     [](const nlohmann::json& run) { expectText(run, "Edit8", "4294967295"); }},

    // Sizes beyond 32 bits, as sparse files.
    {"Sparse4GiBIsExactly32Gbit",
     [](Scene& s) { return plain(s.sparse(4 * kGiB)); },
     1,
     {kWasted},
     {kSizeWrong, kCapacityDisagrees, kOpenFailed},
     [](const nlohmann::json& run) {
         EXPECT_EQ(run["state"]["file_size"], 4 * kGiB);
         expectText(run, "ROM", "32Gbit");
         expectText(run, "ROM_size", "32Gbit");
         EXPECT_EQ(run["state"]["half_padded"], 1);
         EXPECT_EQ(field(run, "CRC_ans")["text"].get<std::string>().size(), 4u);
     },
     180},
    {"Sparse4GiBPlusOneMatchesNoCapacity",
     [](Scene& s) { return plain(s.sparse(4 * kGiB + 1)); },
     1,
     {kSizeWrong, kCapacityDisagrees},
     {kOpenFailed},
     [](const nlohmann::json& run) {
         EXPECT_EQ(run["state"]["file_size"], 4 * kGiB + 1);
         expectText(run, "ROM", "No matching data");
         expectText(run, "ROM_size", "32Gbit");
     },
     180},
    {"Sparse8GiBMatchesNoCapacity",
     [](Scene& s) { return plain(s.sparse(8 * kGiB)); },
     1,
     {kSizeWrong, kCapacityDisagrees, kWasted},
     {kOpenFailed},
     [](const nlohmann::json& run) {
         EXPECT_EQ(run["state"]["file_size"], 8 * kGiB);
         expectText(run, "ROM", "No matching data");
     },
     300},

    // Names and paths.
    {"JapaneseDirectoryHoldsACleanImage",
     [](Scene& s) {
         mkdir(s.file("日本語のフォルダ").c_str(), 0755);
         return plain(s.sample("日本語のフォルダ/QPVXJ00.SRL"));
     },
     0,
     {},
     {kOpenFailed},
     [](const nlohmann::json& run) {
         EXPECT_EQ(run["messages"]["text"], kNoInconsistencies);
         EXPECT_EQ(run["caption"], run["file"]);
         expectText(run, "File_Name", kCleanName);
     }},
    {"JapaneseFileNameIsShownAndRefused",
     [](Scene& s) { return plain(s.sample("テスト.SRL")); },
     1,
     {kNameNotOfTheForm},
     {kOpenFailed},
     [](const nlohmann::json& run) { expectText(run, "File_Name", "テスト.SRL"); }},
    {"InvalidUtf8FileNameIsReplacedInTheReport",
     [](Scene& s) { return plain(s.sample("QPVX\xFF\xFE.SRL")); },
     1,
     {kNameNotOfTheForm},
     {kOpenFailed},
     [](const nlohmann::json& run) {
         expectText(run, "File_Name", "QPVX\xEF\xBF\xBD\xEF\xBF\xBD.SRL");
         EXPECT_EQ(run["caption"], run["file"]);
     }},
    {"PathOf4000CharactersOpens",
     [](Scene& s) {
         Input setup;
         setup.path = s.deep(4080);
         setup.watched = s.deepImage();
         return setup;
     },
     0,
     {},
     {kOpenFailed},
     [](const nlohmann::json& run) {
         EXPECT_GT(run["file"].get<std::string>().size(), 4000u);
         EXPECT_EQ(run["caption"], run["file"]);
         EXPECT_EQ(run["messages"]["text"], kNoInconsistencies);
     }},
    {"PathBeyondWhatTheSystemCanNameIsNotOpened",
     [](Scene& s) {
         Input setup;
         setup.path = s.deep(5000);
         setup.watched = s.deepImage();
         return setup;
     },
     2,
     {kOpenFailed, kCrcOpenFailed},
     {}},

    // Side files that are no list.
    {"MakerListThatIsADirectoryIsNoList",
     [](Scene& s) {
         mkdir(s.sideFile("Dorclic.txt").c_str(), 0755);
         return plain(s.sample());
     },
     0,
     {},
     {},
     [](const nlohmann::json& run) { expectHidden(run, "Maker", true); }},
    {"MakerListThatIsAFifoDoesNotBlock",
     [](Scene& s) {
         mkfifo(s.sideFile("Dorclic.txt").c_str(), 0644);
         return plain(s.sample());
     },
     0,
     {},
     {},
     [](const nlohmann::json& run) { expectHidden(run, "Maker", true); },
     20},
    {"MakerListLinkedToDevZeroIsNoList",
     [](Scene& s) {
         symlink("/dev/zero", s.sideFile("Dorclic.txt").c_str());
         return plain(s.sample());
     },
     0,
     {},
     {},
     [](const nlohmann::json& run) { expectHidden(run, "Maker", true); },
     20},
    {"MakerListOfBinaryJunkGivesADisplayableName",
     [](Scene& s) {
         const Bytes list = junk(8192, 7);
         s.write("side/Dorclic.txt", list);
         return plain(s.sample());
     },
     0,
     {},
     {},
     [](const nlohmann::json& run) { expectHidden(run, "Maker", false); }},
    {"MakerListUnreadableIsNoList",
     [](Scene& s) {
         s.write("side/Dorclic.txt", Bytes{'0', '1', ',', 'A', ',', 'A', 'l', 'p', 'h', 'a', '\n'});
         chmod(s.sideFile("Dorclic.txt").c_str(), 0);
         s.makeReachableByAll();
         Input setup = plain(s.sample());
         setup.unprivileged = isRoot();
         return setup;
     },
     0,
     {},
     {},
     [](const nlohmann::json& run) { expectHidden(run, "Maker", true); }},
    {"FerinThatIsADirectoryShowsNoDetail",
     [](Scene& s) {
         mkdir(s.sideFile("ferin.ini").c_str(), 0755);
         return plain(s.sample());
     },
     0,
     {},
     {},
     [](const nlohmann::json& run) { expectHidden(run, "MROM_Ver", true); }},
    {"FerinOfBinaryJunkCountsByItsPresence",
     [](Scene& s) {
         s.write("side/ferin.ini", junk(300, 11));
         return plain(s.sample());
     },
     0,
     {},
     {},
     [](const nlohmann::json& run) { expectHidden(run, "MROM_Ver", false); }},
};

class BadInput : public ::testing::TestWithParam<Row> {};

TEST_P(BadInput, EndsInTimeWithItsOwnResultAndLeavesTheImageAlone) {
    const Row& row = GetParam();
    Scene scene;
    const Input setup = row.make(scene);
    const test::FileFingerprint before = test::fingerprintAnyMode(setup.watched);

    const test::ProcessEnd end = test::runProcess(
        {PARVEX_CHECK_PATH, "--lang", "en", "--json", "--crc", "--side-dir", scene.sideDir(), setup.path},
        std::chrono::seconds(row.seconds), setup.unprivileged ? std::optional<uid_t>(test::kNobody) : std::nullopt);
    if (setup.unprivileged && end.exited && end.status == 126) GTEST_SKIP() << "cannot run as an ordinary user";

    ASSERT_FALSE(end.timedOut) << "no answer within " << row.seconds << " s";
    ASSERT_TRUE(end.exited) << "ended by signal " << end.signal << "\n" << end.err;
    // A sanitizer report may end the checker with a status a row expects; its text gives it away.
    EXPECT_EQ(end.err.find("Sanitizer"), std::string::npos) << end.err;
    EXPECT_EQ(end.err.find("runtime error:"), std::string::npos) << end.err;
    EXPECT_EQ(end.status, row.status) << end.err;
    const auto doc = nlohmann::json::parse(end.out, nullptr, false);
    ASSERT_FALSE(doc.is_discarded()) << end.out;
    const nlohmann::json& run = doc["runs"][0];
    const std::vector<std::string> lines = findingLines(run);
    for (const std::string& want : row.findings)
        EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end()) << "missing: " << want;
    for (const std::string& unwanted : row.absent)
        EXPECT_EQ(std::find(lines.begin(), lines.end(), unwanted), lines.end()) << "unexpected: " << unwanted;
    if (row.check) row.check(run);

    if (!setup.watched.empty()) {
        EXPECT_EQ(test::fingerprintAnyMode(setup.watched), before) << "the image was changed";
    }
}

INSTANTIATE_TEST_SUITE_P(Matrix, BadInput, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace parvex
