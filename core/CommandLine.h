#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace parvex {

// The program's arguments as UTF-8 on every platform, for a command-line front end. On Windows they
// are read as the UTF-16 the system keeps (main's own argv is in the ANSI code page and loses any
// name outside it), and standard output and error are set to pass UTF-8 bytes unchanged: to the
// console as UTF-8, to a pipe or file byte for byte, line feeds included.
class CommandLine {
public:
    CommandLine(int argc, char** argv);

    int argc() const { return static_cast<int>(m_pointers.size()) - 1; }
    char** argv() { return m_pointers.data(); }

private:
    std::vector<std::string> m_arguments;
    std::vector<char*> m_pointers;  // ends with a null pointer, as main's argv does
};

// File arguments as a Windows user expects them: one with * or ? in its last component stands for
// the files (not folders) it matches there, sorted by name, Japanese names included; one that
// matches nothing stays as it is, so it fails to open under its own name. Elsewhere the shell has
// already done this, and the arguments come back unchanged.
std::vector<std::string> expandWildcards(const std::vector<std::string>& arguments);

// Whether name matches pattern: * is any run of characters, ? one character (a UTF-8 sequence
// counts as one), letters A-Z match either case, as file names on Windows do.
bool wildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace parvex
