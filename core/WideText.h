#pragma once

// UTF-8 and the UTF-16 of the Windows API, for the few places that talk to it.
#ifdef _WIN32

#include <string>
#include <string_view>

namespace parvex {

// Empty when text is not valid UTF-8, so a broken name never reaches a different file.
std::wstring wideFromUtf8(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string utf8FromWide(std::wstring_view text);

// The absolute \\?\ form of a path, which lifts the 260-character limit; device names (\\.\NUL)
// stay as they are. Empty when the system cannot make it.
std::wstring longPathForm(const std::wstring& path);

// The path of an open file as it is stored (links followed, the name's case as on disk), in the
// \\?\ form; empty when the system cannot tell. handle: a HANDLE.
std::wstring finalPathOf(void* handle);

// The system's own words for a GetLastError code, without the closing full stop.
std::string systemMessage(unsigned long code);

}  // namespace parvex

#endif
