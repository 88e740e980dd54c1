#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/ImageFile.h"

namespace parvex {

// The side-file directory joined with a name, without changing the current directory.
std::string sidePath(const std::string& dir, const char* name);

// Where a program in programDir looks for its side files on a Unix desktop, first to last: beside
// the program, then the user's $XDG_CONFIG_HOME/parvex (HOME/.config/parvex when that is unset, empty
// or relative), then /etc/parvex. A packaged program lives in /usr/bin, where nobody should have to
// put a file of their own. A directory that cannot be named (no usable HOME) is left out.
std::vector<std::string> unixSideFileDirs(const std::string& programDir, const std::string& xdgConfigHome,
                                          const std::string& home);

// This platform's search, from the process environment: the Unix one above, and on Windows the
// program's directory alone, as a portable install there keeps everything in one folder.
std::vector<std::string> sideFileDirs(const std::string& programDir);

// The same order in words, for the programs' --help.
const char* sideFileOrderText();

// The first side file of this name that opens for reading as a regular file, searching dirs in
// order; a directory or an unreadable file of that name does not hide one further down.
std::optional<ImageFile> openSideFile(const std::vector<std::string>& dirs, const char* name);

// True when openSideFile would find one.
bool sideFilePresent(const std::vector<std::string>& dirs, const char* name);

}  // namespace parvex
