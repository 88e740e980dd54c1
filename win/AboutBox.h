#pragma once

#include <windows.h>

#include <string>

namespace parvex {

// The About box: the program's name and version and an OK button, shown modally over owner with
// the caption the session gives for the current language.
void showAboutBox(HWND owner, const std::wstring& caption, int dpi);

}  // namespace parvex
