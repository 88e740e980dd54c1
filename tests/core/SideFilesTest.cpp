#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/RomHeader.h"
#include "core/SideFiles.h"
#include "run/Session.h"
#include "run/Steps.h"
#include "tests/support/TempDir.h"

namespace parvex {
namespace {

using Dirs = std::vector<std::string>;

struct SearchRow {
    const char* what;
    std::string programDir, xdgConfigHome, home;
    Dirs expected;
};

TEST(SideFileSearch, BesideTheProgramThenTheUsersThenTheSystemsFolder) {
    const std::vector<SearchRow> rows{
        {"XDG_CONFIG_HOME wins over HOME", "/opt/pvx", "/cfg", "/home/u", {"/opt/pvx", "/cfg/parvex", "/etc/parvex"}},
        {"a trailing slash is not doubled", "/opt/pvx", "/cfg/", "", {"/opt/pvx", "/cfg/parvex", "/etc/parvex"}},
        {"no XDG_CONFIG_HOME: HOME/.config",
         "/usr/bin",
         "",
         "/home/u",
         {"/usr/bin", "/home/u/.config/parvex", "/etc/parvex"}},
        {"a relative XDG_CONFIG_HOME is ignored",
         "/usr/bin",
         "cfg",
         "/home/u",
         {"/usr/bin", "/home/u/.config/parvex", "/etc/parvex"}},
        {"no usable HOME either", "/usr/bin", "", "relative", {"/usr/bin", "/etc/parvex"}},
        {"nothing set", "/usr/bin", "", "", {"/usr/bin", "/etc/parvex"}},
        {"a program in /etc/parvex searches it once", "/etc/parvex", "/cfg", "", {"/etc/parvex", "/cfg/parvex"}},
    };
    for (const SearchRow& r : rows)
        EXPECT_EQ(unixSideFileDirs(r.programDir, r.xdgConfigHome, r.home), r.expected) << r.what;
}

TEST(SideFileSearch, ThisPlatformsSearchReadsTheEnvironment) {
#ifdef _WIN32
    EXPECT_EQ(sideFileDirs("C:/pvx"), Dirs{"C:/pvx"});
#else
    const char* before = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = before ? before : "";
    ::setenv("XDG_CONFIG_HOME", "/somewhere", 1);
    EXPECT_EQ(sideFileDirs("/opt/pvx"), (Dirs{"/opt/pvx", "/somewhere/parvex", "/etc/parvex"}));
    if (before) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
#endif
}

// Three folders searched in order; in each a file, a directory or nothing of the name.
enum class Entry { None, File, Dir };

struct FoundRow {
    const char* what;
    std::vector<Entry> entries;
    int found;  // index of the folder whose file is taken, -1 for none
};

TEST(SideFileSearch, TheFirstRegularFileFoundIsTaken) {
    const std::vector<FoundRow> rows{
        {"beside the program first", {Entry::File, Entry::File, Entry::File}, 0},
        {"the user's when none beside", {Entry::None, Entry::File, Entry::File}, 1},
        {"the system's last", {Entry::None, Entry::None, Entry::File}, 2},
        {"a directory of the name hides nothing", {Entry::Dir, Entry::Dir, Entry::File}, 2},
        {"none anywhere", {Entry::None, Entry::Dir, Entry::None}, -1},
    };
    for (const FoundRow& r : rows) {
        test::TempDir root;
        Dirs dirs;
        for (std::size_t i = 0; i < r.entries.size(); ++i) {
            const auto dir = root.path() / std::to_string(i);
            std::filesystem::create_directory(dir);
            dirs.push_back(dir.string());
            // The file's size tells which folder it came from.
            if (r.entries[i] == Entry::File) root.write(std::to_string(i) + "/ferin.ini", std::string(i + 1, ';'));
            if (r.entries[i] == Entry::Dir) std::filesystem::create_directory(dir / "ferin.ini");
        }
        const auto file = openSideFile(dirs, "ferin.ini");
        EXPECT_EQ(sideFilePresent(dirs, "ferin.ini"), r.found >= 0) << r.what;
        ASSERT_EQ(file.has_value(), r.found >= 0) << r.what;
        if (file) {
            EXPECT_EQ(file->size(), static_cast<std::uint64_t>(r.found + 1)) << r.what;
        }
    }
}

TEST(SideFileSearch, TheSessionTakesEachSideFileFromWhereItIsFound) {
    test::TempDir program, user, system;
    user.write("ferin.ini", "");
    system.write("Dorclic.txt", "01,Sys Maker,Sys Maker\n");
    user.write("Dorclic.txt", "01,Usr Maker,Usr Maker\n");
    Session s(program.path().string(), {program.path().string(), user.path().string(), system.path().string()});
    EXPECT_TRUE(s.model.field(Field::MROM_Ver).visible);
    EXPECT_TRUE(s.model.control(Control::Label_FERIN).visible);

    s.state.Header[kMakerCode] = '0';
    s.state.Header[kMakerCode + 1] = '1';
    s.state.Maker_Chars = {'0', '1', 0};
    s.model.setLanguage(Language::English);
    runStep(s, Step::CheckMakerCode);
    EXPECT_EQ(s.model.text(Field::Maker), "Usr");
    // The program's directory is still what a relative argument is taken from.
    EXPECT_EQ(s.state.Program_Dir, program.path().string());
}

}  // namespace
}  // namespace parvex
