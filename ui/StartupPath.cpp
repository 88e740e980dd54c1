#include "ui/StartupPath.h"

#include <filesystem>
#include <system_error>

namespace parvex {

std::string resolveStartupPath(const std::string& argument, const std::string& startDir,
                               const std::string& programDir) {
    namespace fs = std::filesystem;
    const fs::path given(argument);
    if (argument.empty() || given.is_absolute()) return argument;
    const fs::path fromStart = fs::path(startDir) / given;
    const fs::path fromProgram = fs::path(programDir) / given;
    std::error_code ec;
    if (!fs::is_regular_file(fromStart, ec) && fs::is_regular_file(fromProgram, ec))
        return fromProgram.lexically_normal().string();
    return fromStart.lexically_normal().string();
}

}  // namespace parvex
