#pragma once

#include <string>
#include <vector>

namespace parvex {

// The files opened lately, latest first, kept between sessions in one UTF-8 INI file:
//   [Recent]
//   File1=C:\images\QABCJ00.SRL
class RecentFiles {
public:
    // iniPath: the file (its folder is made when missing).
    explicit RecentFiles(std::wstring iniPath);

    std::vector<std::string> load() const;
    // Adds the opened files in turn (layout/Placement's rule) and writes the list; false when the
    // file cannot be written.
    bool remember(const std::vector<std::string>& opened) const;

private:
    std::wstring m_path;
};

// %APPDATA%\PARVEX\parvex.ini, where the window keeps its recent files.
std::wstring defaultSettingsFile();

}  // namespace parvex
