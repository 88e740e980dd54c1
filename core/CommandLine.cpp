#include "core/CommandLine.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "core/WideText.h"
#endif

namespace parvex {

CommandLine::CommandLine(int argc, char** argv) {
#ifdef _WIN32
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) m_arguments.push_back(utf8FromWide(wide[i]));
        LocalFree(wide);
    }
    SetConsoleOutputCP(CP_UTF8);
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    if (m_arguments.empty()) m_arguments.assign(argv, argv + argc);
    for (std::string& a : m_arguments) m_pointers.push_back(a.data());
    m_pointers.push_back(nullptr);
}

}  // namespace parvex
