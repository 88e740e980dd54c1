#include "win/RecentFiles.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "layout/Placement.h"

namespace parvex {
namespace {

struct FileClose {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileClose>;

constexpr std::string_view kSection = "[Recent]";
constexpr std::string_view kKey = "File";

}  // namespace

RecentFiles::RecentFiles(std::wstring iniPath) : m_path(std::move(iniPath)) {}

std::vector<std::string> RecentFiles::load() const {
    std::vector<std::string> recent;
    File file(_wfopen(m_path.c_str(), L"rb"));
    if (!file) return recent;
    std::string line;
    bool inSection = false;
    const auto take = [&] {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty() && line.front() == '[') inSection = line == kSection;
        // "FileN=path": the number only orders the file, which is written in order.
        const auto equals = line.find('=');
        if (inSection && line.starts_with(kKey) && equals != std::string::npos && equals + 1 < line.size())
            recent.push_back(line.substr(equals + 1));
        line.clear();
    };
    for (int c; (c = std::fgetc(file.get())) != EOF;) {
        if (c == '\n') take();
        else line += static_cast<char>(c);
    }
    take();
    // A hand-edited file may repeat a path or list too many: the same rule as remembering.
    std::vector<std::string> kept;
    for (auto it = recent.rbegin(); it != recent.rend(); ++it) kept = pushRecent(std::move(kept), *it);
    return kept;
}

bool RecentFiles::remember(const std::vector<std::string>& opened) const {
    if (opened.empty()) return true;
    std::vector<std::string> recent = load();
    for (const std::string& path : opened) recent = pushRecent(std::move(recent), path);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), ec);
    File file(_wfopen(m_path.c_str(), L"wb"));
    if (!file) return false;
    std::string text = std::string(kSection) + "\r\n";
    for (std::size_t i = 0; i < recent.size(); ++i)
        text += std::string(kKey) + std::to_string(i + 1) + "=" + recent[i] + "\r\n";
    return std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
}

std::wstring defaultSettingsFile() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    return std::wstring(appData ? appData : L".") + L"\\PARVEX\\parvex.ini";
}

}  // namespace parvex
