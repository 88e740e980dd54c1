#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace parvex {

// A model text for a control: bytes that are not UTF-8 show as U+FFFD instead of emptying the text.
std::wstring displayText(std::string_view utf8);

// Line feeds as the Windows clipboard and editors expect them: every LF becomes CR LF.
std::wstring withCrLf(std::wstring_view text);

// A window's whole text (WM_GETTEXT), as UTF-16.
std::wstring windowText(HWND window);

// Puts text on the clipboard as CF_UNICODETEXT; false when the clipboard is held by another program.
bool copyToClipboard(HWND owner, const std::wstring& text);

}  // namespace parvex
