#pragma once

#include <string>

namespace parvex {

// The side-file directory joined with a name, without changing the current directory.
std::string sidePath(const std::string& dir, const char* name);

// True when a side file of this name can be opened for reading as a regular file in dir.
bool sideFilePresent(const std::string& dir, const char* name);

}  // namespace parvex
