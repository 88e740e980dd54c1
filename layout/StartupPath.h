#pragma once

#include <string>

namespace parvex {

// The command-line argument as the file to check. A relative name is looked for in the directory the
// program was started from, then beside the program file, so that both habits keep working; when it
// is in neither, the start directory's path is used and the run reports the file as unopenable.
std::string resolveStartupPath(const std::string& argument, const std::string& startDir,
                               const std::string& programDir);

}  // namespace parvex
