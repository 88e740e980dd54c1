#include "core/CommandLine.h"

#ifdef _WIN32
// windows.h first: shellapi.h builds on it.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>

#include "core/Utf8Path.h"
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

namespace {

// Bytes one character of name takes at i (a UTF-8 sequence, or one stray byte).
std::size_t characterLength(std::string_view name, std::size_t i) {
    const auto b = static_cast<unsigned char>(name[i]);
    std::size_t len = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    return std::min(len, name.size() - i);
}

char folded(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name) {
    // Greedy with one point to come back to: the last *, and where in name it started matching.
    std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += characterLength(name, n);
        } else if (p < pattern.size() && folded(pattern[p]) == folded(name[n])) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            resume += characterLength(name, resume);
            n = resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

#ifdef _WIN32

std::vector<std::string> expandWildcards(const std::vector<std::string>& arguments) {
    std::vector<std::string> out;
    for (const std::string& argument : arguments) {
        const std::size_t nameAt = fileNameStart(argument);
        const std::string_view pattern = std::string_view(argument).substr(nameAt);
        // The question mark of a \\?\ prefix is no wildcard; nor is one before the last component.
        const std::wstring search = longPathForm(wideFromUtf8(argument));
        if (pattern.find_first_of("*?") == std::string_view::npos || argument.starts_with("\\\\?\\") ||
            search.empty()) {
            out.push_back(argument);
            continue;
        }
        std::vector<std::string> found;
        WIN32_FIND_DATAW entry{};
        HANDLE h = FindFirstFileExW(search.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = utf8FromWide(entry.cFileName);
                // The system also matches the short 8.3 names ("ABCDEF~1.SRL" for "abcdefgh.srlx"):
                // only the real name counts.
                if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && wildcardMatch(pattern, name))
                    found.push_back(name);
            } while (FindNextFileW(h, &entry));
            FindClose(h);
        }
        if (found.empty()) {
            out.push_back(argument);
            continue;
        }
        std::sort(found.begin(), found.end());
        for (const std::string& name : found) out.push_back(argument.substr(0, nameAt) + name);
    }
    return out;
}

#else

std::vector<std::string> expandWildcards(const std::vector<std::string>& arguments) { return arguments; }

#endif

}  // namespace parvex
