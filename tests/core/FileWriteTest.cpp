// What the programs write, and how an image's name and state are taken, on every platform: whole
// files or nothing, no temporary file left, links and devices kept, existing files only replaced when
// asked; a file changed while open; the stored name; wildcards.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "core/CommandLine.h"
#include "core/FileWrite.h"
#include "core/ImageFile.h"
#include "core/Utf8Path.h"
#include "tests/support/TempDir.h"

namespace parvex {
namespace {

namespace fs = std::filesystem;

// Read the way images are, so long paths work on every platform.
std::string contents(const std::string& path) {
    auto file = ImageFile::open(path);
    if (!file) return "<not opened>";
    std::string bytes(static_cast<std::size_t>(file->size()), '\0');
    file->readAt(0, reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
    return bytes;
}

[[maybe_unused]] std::vector<std::string> names(const test::TempDir& dir) {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(dir.path())) out.push_back(utf8FromPath(entry.path().filename()));
    std::sort(out.begin(), out.end());
    return out;
}

struct WriteRow {
    const char* name;
    std::function<std::string(const test::TempDir&)> make;  // returns the path to write
    bool replace;
    bool written;
    bool existed;
    std::string after;  // the file's contents afterwards ("" when there is none)
};

void PrintTo(const WriteRow& row, std::ostream* os) { *os << row.name; }

class WholeFile : public testing::TestWithParam<WriteRow> {};

TEST_P(WholeFile, WritesWholeOrLeavesThePathAsItWas) {
    const WriteRow& row = GetParam();
    test::TempDir dir;
    const std::string path = row.make(dir);
    const WholeWrite result = writeWholeFile(path, "new report", row.replace);
    EXPECT_EQ(result.written, row.written) << result.problem;
    EXPECT_EQ(result.existed, row.existed) << result.problem;
    EXPECT_EQ(result.problem.empty(), row.written) << result.problem;
    if (!row.written) {
        EXPECT_NE(result.problem.find(path), std::string::npos) << result.problem;
    }
    if (!row.after.empty()) {
        EXPECT_EQ(contents(path), row.after);
    }
    // Nothing beside it: the temporary file is gone in every case.
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(utf8FromPath(entry.path()).find(".tmp"), std::string::npos) << utf8FromPath(entry.path());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WholeFile,
    testing::Values(
        WriteRow{"NewFile", [](const auto& d) { return d.file("new.xml"); }, false, true, false, "new report"},
        WriteRow{"NewJapaneseName", [](const auto& d) { return d.file("報告.xml"); }, true, true, false,
                 "new report"},
        WriteRow{"ExistingReplaced", [](const auto& d) { return d.write("old.xml", std::string("old")); }, true, true,
                 false, "new report"},
        WriteRow{"ExistingKeptWithoutReplace", [](const auto& d) { return d.write("old.xml", std::string("old")); },
                 false, false, true, "old"},
        WriteRow{"MissingFolder", [](const auto& d) { return d.file("no/such/dir/r.xml"); }, true, false, false, ""},
        WriteRow{"Directory",
                 [](const auto& d) {
                     fs::create_directory(pathFromUtf8(d.file("sub")));
                     return d.file("sub");
                 },
                 true, false, false, ""},
        WriteRow{"PathLongerThan260Characters",
                 [](const auto& d) {
                     const std::string deep =
                         std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(100, 'c');
                     fs::create_directories(pathFromUtf8(d.file(deep)));
                     return d.file(deep + "/report.xml");
                 },
                 true, true, false, "new report"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(WholeFile, ShapesOfPathAreToldApart) {
    test::TempDir dir;
    const std::string file = dir.write("QPVXJ00.SRL", std::string("image"));
    EXPECT_EQ(inspectPath(file).kind, PathKind::Regular);
    EXPECT_EQ(inspectPath(file).size, 5u);
    EXPECT_EQ(inspectPath(dir.path().string()).kind, PathKind::Directory);
    EXPECT_EQ(inspectPath(dir.file("absent")).kind, PathKind::Absent);
    EXPECT_EQ(inspectPath("").kind, PathKind::Absent);
#ifdef _WIN32
    EXPECT_EQ(inspectPath("NUL").kind, PathKind::Other);
    // The same file however it is spelled: case, slashes, a trailing dot.
    for (const std::string& other :
         {dir.file("qpvxj00.srl"), utf8FromPath(dir.path()) + "/QPVXJ00.SRL", dir.file("QPVXJ00.SRL.")})
        EXPECT_EQ(inspectPath(other).identity, inspectPath(file).identity) << other;
#else
    EXPECT_EQ(inspectPath("/dev/null").kind, PathKind::Other);
    fs::create_symlink(file, dir.file("link"));
    for (const std::string& other : {dir.file("link"), dir.path().string() + "/./QPVXJ00.SRL"})
        EXPECT_EQ(inspectPath(other).identity, inspectPath(file).identity) << other;
    EXPECT_NE(inspectPath(dir.write("twin.SRL", std::string("image"))).identity, inspectPath(file).identity);
#endif
}

TEST(WholeFile, DevicesAreWrittenWhereTheyAre) {
#ifdef _WIN32
    const std::string device = "NUL";
#else
    const std::string device = "/dev/null";
#endif
    EXPECT_EQ(writeInPlace(device, "<?xml?>"), std::nullopt);
#ifndef _WIN32
    const auto full = writeInPlace("/dev/full", "<?xml?>");
    ASSERT_TRUE(full);
    EXPECT_NE(full->find("No space left on device"), std::string::npos) << *full;
#endif
}

#ifndef _WIN32
// A link stays a link: the file it names is replaced, and a broken one gets its file created.
TEST(WholeFile, LinksAreFollowedNeverReplaced) {
    test::TempDir dir;
    fs::create_directory(dir.path() / "real");
    const std::string target = dir.write("real/report.xml", std::string("old"));
    fs::create_symlink("real/report.xml", dir.path() / "link.xml");
    fs::create_symlink("real/later.xml", dir.path() / "broken.xml");
    for (const char* link : {"link.xml", "broken.xml"}) {
        ASSERT_TRUE(writeWholeFile(dir.file(link), "new", true).written) << link;
        EXPECT_TRUE(fs::is_symlink(dir.path() / link)) << link;
        EXPECT_EQ(contents(dir.file(link)), "new") << link;
    }
    EXPECT_EQ(contents(target), "new");
}

TEST(WholeFile, AReplacedFileKeepsItsPermissions) {
    test::TempDir dir;
    for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                                 fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read}) {
        const std::string path = dir.write("r.xml", std::string("old"));
        fs::permissions(path, mode);
        ASSERT_TRUE(writeWholeFile(path, "new", true).written);
        EXPECT_EQ(fs::status(path).permissions(), mode);
    }
    // A new file gets the usual permissions, not the private ones it is written with.
    const std::string fresh = dir.file("fresh.xml");
    ASSERT_TRUE(writeWholeFile(fresh, "new", false).written);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(static_cast<mode_t>(fs::status(fresh).permissions()), 0666 & ~mask);
}

// Another user may rename over a file in a folder open to all, but a report they may not write is
// not theirs to replace.
TEST(WholeFile, AFileTheUserMayNotWriteIsLeftAlone) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    test::TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const std::string path = dir.write("r.xml", std::string("root's"));
    fs::permissions(path,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        const WholeWrite r = writeWholeFile(path, "nobody's", true);
        _exit(!r.written && r.problem.find("Permission denied") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(contents(path), "root's");
    EXPECT_EQ(names(dir), std::vector<std::string>{"r.xml"});
}
#endif

// --- A file changed while it is open -------------------------------------------------------------

struct ChangeRow {
    const char* name;
    std::function<void(const std::string&)> change;
    bool changed;
};

void PrintTo(const ChangeRow& row, std::ostream* os) { *os << row.name; }

class ChangedSinceOpen : public testing::TestWithParam<ChangeRow> {};

TEST_P(ChangedSinceOpen, SizeOrModificationTime) {
    test::TempDir dir;
    const std::string path = dir.write("QPVXJ00.SRL", std::string(4096, 'x'));
    const fs::path native = pathFromUtf8(path);
    fs::last_write_time(native, fs::last_write_time(native) - std::chrono::hours(1));
    auto file = ImageFile::open(path);
    ASSERT_TRUE(file);
    GetParam().change(path);
    EXPECT_EQ(file->changedSinceOpen(), GetParam().changed);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangedSinceOpen,
    testing::Values(ChangeRow{"Untouched", [](const std::string&) {}, false},
                    ChangeRow{"ReadByAnother", [](const std::string& p) { (void)contents(p); }, false},
                    ChangeRow{"Cut", [](const std::string& p) { fs::resize_file(pathFromUtf8(p), 16); }, true},
                    ChangeRow{"Grown", [](const std::string& p) { fs::resize_file(pathFromUtf8(p), 1u << 20); },
                              true},
                    ChangeRow{"RewrittenInPlace",
                              [](const std::string& p) {
                                  std::fstream f(pathFromUtf8(p), std::ios::in | std::ios::out | std::ios::binary);
                                  f.seekp(100);
                                  f.put('y');
                              },
                              true},
                    ChangeRow{"Touched",
                              [](const std::string& p) {
                                  fs::last_write_time(pathFromUtf8(p), fs::file_time_type::clock::now());
                              },
                              true}),
    [](const auto& p) { return std::string(p.param.name); });

// --- The stored name -----------------------------------------------------------------------------

TEST(StoredName, IsTheNameOnDiskWhereTheSystemTellsIt) {
    test::TempDir dir;
    dir.write("QPVXJ00.SRL", std::string("image"));
    dir.write("qabcj00.srl", std::string("image"));
    struct Row {
        const char* typed;
        const char* stored;  // on Windows
    };
    for (const Row& row :
         {Row{"QPVXJ00.SRL", "QPVXJ00.SRL"}, Row{"qpvxj00.srl", "QPVXJ00.SRL"}, Row{"QPVXJ00.SRL.", "QPVXJ00.SRL"},
          Row{"QPVXJ00.SRL ", "QPVXJ00.SRL"}, Row{"QABCJ00.SRL", "qabcj00.srl"}}) {
        auto file = ImageFile::open(dir.file(row.typed));
#ifdef _WIN32
        ASSERT_TRUE(file) << row.typed;
        EXPECT_EQ(file->storedName(), row.stored) << row.typed;
#else
        // Names are what they are here: the typed name is the one on disk, or there is none.
        if (file) {
            EXPECT_EQ(file->storedName(), "") << row.typed;
        }
#endif
    }
}

// --- Wildcards -----------------------------------------------------------------------------------

TEST(Wildcards, MatchLikeWindowsFileNames) {
    struct Row {
        const char* pattern;
        const char* name;
        bool matches;
    };
    for (const Row& r : {Row{"*.SRL", "QPVXJ00.SRL", true}, Row{"*.SRL", "qpvxj00.srl", true},
                         Row{"*.SRL", "QPVXJ00.SRLX", false}, Row{"*.SRL", "QPVXJ00.SRL.bak", false},
                         Row{"Q????00.SRL", "QPVXJ00.SRL", true}, Row{"Q????00.SRL", "QPVXJ000.SRL", false},
                         Row{"?.SRL", "日.SRL", true}, Row{"日本*.SRL", "日本語の提出イメージ.SRL", true},
                         Row{"*", "", true}, Row{"*a*b", "xaybzb", true}, Row{"*a*b", "xaybz", false},
                         Row{"**.srl", "A.SRL", true}, Row{"A.SRL", "A.SRL", true}, Row{"", "A", false}})
        EXPECT_EQ(wildcardMatch(r.pattern, r.name), r.matches) << r.pattern << " on " << r.name;
}

TEST(Wildcards, ExpandToTheMatchingFilesOnWindowsOnly) {
    test::TempDir dir;
    for (const char* name : {"QBBBJ00.SRL", "QAAAJ00.SRL", "日本語の提出イメージ.SRL", "note.txt", "QABCDEFGH.SRLX"})
        dir.write(name, std::string("x"));
    fs::create_directory(pathFromUtf8(dir.file("folder.SRL")));
    const std::string base = utf8FromPath(dir.path()) + "/";
    const std::vector<std::string> args{base + "*.SRL", base + "*.none", base + "QAAAJ00.SRL"};
#ifdef _WIN32
    const std::vector<std::string> expected{base + "QAAAJ00.SRL", base + "QBBBJ00.SRL",
                                            base + "日本語の提出イメージ.SRL", base + "*.none", base + "QAAAJ00.SRL"};
#else
    const std::vector<std::string>& expected = args;
#endif
    EXPECT_EQ(expandWildcards(args), expected);
}

}  // namespace
}  // namespace parvex
