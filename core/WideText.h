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

}  // namespace parvex

#endif
