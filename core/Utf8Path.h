#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace parvex {

// Paths travel through the system as UTF-8 strings. A std::filesystem::path made from a plain string
// reads it in the platform's narrow encoding, which on Windows is not UTF-8; these two keep the
// conversion explicit and the same everywhere.
inline std::filesystem::path pathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Where the last component of a path begins: after the last directory separator, which on Windows
// is a backslash or a slash, or after a drive's colon ("C:name"). Elsewhere a backslash is an
// ordinary character of a file name.
inline std::size_t fileNameStart(std::string_view path) {
#ifdef _WIN32
    const std::size_t cut = path.find_last_of("/\\:");
#else
    const std::size_t cut = path.find_last_of('/');
#endif
    return cut == std::string_view::npos ? 0 : cut + 1;
}

}  // namespace parvex
