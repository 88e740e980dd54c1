#include "core/SideFiles.h"

#include <algorithm>
#include <cstdlib>

namespace parvex {

std::string sidePath(const std::string& dir, const char* name) {
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::vector<std::string> unixSideFileDirs(const std::string& programDir, const std::string& xdgConfigHome,
                                          const std::string& home) {
    const auto absolute = [](const std::string& dir) { return !dir.empty() && dir.front() == '/'; };
    std::vector<std::string> dirs{programDir};
    const auto add = [&dirs](std::string dir) {
        if (std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) dirs.push_back(std::move(dir));
    };
    // Relative values are meaningless here: they would follow the current directory.
    if (absolute(xdgConfigHome)) add(sidePath(xdgConfigHome, "parvex"));
    else if (absolute(home)) add(sidePath(home, ".config/parvex"));
    add("/etc/parvex");
    return dirs;
}

std::vector<std::string> sideFileDirs(const std::string& programDir) {
#ifdef _WIN32
    return {programDir};
#else
    const auto env = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    return unixSideFileDirs(programDir, env("XDG_CONFIG_HOME"), env("HOME"));
#endif
}

const char* sideFileOrderText() {
#ifdef _WIN32
    return "Side files:\n"
           "  Dorclic.txt (the maker list) and ferin.ini are looked for in the program's directory.\n";
#else
    return "Side files:\n"
           "  Dorclic.txt (the maker list) and ferin.ini are each taken from the first of these\n"
           "  directories that holds one:\n"
           "\n"
           "  1.  the program's directory\n"
           "  2.  $XDG_CONFIG_HOME/parvex (~/.config/parvex when XDG_CONFIG_HOME is unset or empty)\n"
           "  3.  /etc/parvex\n";
#endif
}

std::optional<ImageFile> openSideFile(const std::vector<std::string>& dirs, const char* name) {
    for (const std::string& dir : dirs)
        if (auto file = ImageFile::open(sidePath(dir, name))) return file;
    return std::nullopt;
}

bool sideFilePresent(const std::vector<std::string>& dirs, const char* name) {
    return openSideFile(dirs, name).has_value();
}

}  // namespace parvex
