#include "layout/StartupPath.h"

#include <filesystem>
#include <system_error>

#include "core/Utf8Path.h"

namespace parvex {

std::string resolveStartupPath(const std::string& argument, const std::string& startDir,
                               const std::string& programDir) {
    namespace fs = std::filesystem;
    const fs::path given = pathFromUtf8(argument);
    if (argument.empty() || given.is_absolute()) return argument;
    const fs::path fromStart = pathFromUtf8(startDir) / given;
    const fs::path fromProgram = pathFromUtf8(programDir) / given;
    std::error_code ec;
    if (!fs::is_regular_file(fromStart, ec) && fs::is_regular_file(fromProgram, ec))
        return utf8FromPath(fromProgram.lexically_normal());
    return utf8FromPath(fromStart.lexically_normal());
}

}  // namespace parvex
