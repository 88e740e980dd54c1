#pragma once

#include <string>
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

}  // namespace parvex
