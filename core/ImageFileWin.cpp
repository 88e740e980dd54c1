// File access on Windows: CreateFileW on the UTF-16 form of the UTF-8 path, positioned ReadFile.
#include "core/ImageFile.h"
#include "core/WideText.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace parvex {

std::wstring wideFromUtf8(std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int n = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), n, nullptr, 0);
    if (wide <= 0) return {};
    std::wstring out(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), n, out.data(), wide);
    return out;
}

std::string utf8FromWide(std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int n = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), n, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), n, out.data(), bytes, nullptr, nullptr);
    return out;
}

// The absolute form with the \\?\ prefix, which lifts the 260-character limit; the prefix also
// turns off the API's own clean-up of the name, so the full path is made first. Device names
// (\\.\) and names already prefixed are left as they are.
std::wstring longPathForm(const std::wstring& path) {
    DWORD need = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (need == 0) return {};
    std::wstring full(need, L'\0');
    DWORD got = GetFullPathNameW(path.c_str(), need, full.data(), nullptr);
    if (got == 0 || got >= need) return {};
    full.resize(got);
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

namespace {

std::int64_t modifiedTime(const BY_HANDLE_FILE_INFORMATION& info) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32 |
                                     info.ftLastWriteTime.dwLowDateTime);
}

}  // namespace

std::optional<ImageFile> ImageFile::open(const std::string& path) {
    const std::wstring wide = wideFromUtf8(path);
    if (wide.empty()) return std::nullopt;
    const std::wstring name = longPathForm(wide);
    if (name.empty()) return std::nullopt;
    // Others may read, write or delete meanwhile, as on POSIX systems; a directory fails here
    // because the backup-semantics flag is not given.
    HANDLE h = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !GetFileSizeEx(h, &size) || size.QuadPart < 0) {
        CloseHandle(h);
        return std::nullopt;
    }
    ImageFile file(reinterpret_cast<Handle>(h), static_cast<std::uint64_t>(size.QuadPart));
    file.m_modified = modifiedTime(info);
    // The name check judges the name as stored, as it would for a dropped file: a typed
    // "qpvxj00.srl" or "QPVXJ00.SRL." names the same file as a stored "QPVXJ00.SRL".
    const std::wstring stored = finalPathOf(h);
    const std::size_t slash = stored.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash + 1 < stored.size())
        file.m_storedName = utf8FromWide(stored.substr(slash + 1));
    return file;
}

bool ImageFile::changedSinceOpen() const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(reinterpret_cast<HANDLE>(m_handle), &info)) return true;
    const std::uint64_t size = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    return size != m_size || modifiedTime(info) != m_modified;
}

void ImageFile::closeHandle(Handle handle) { CloseHandle(reinterpret_cast<HANDLE>(handle)); }

std::size_t ImageFile::readRaw(std::uint64_t offset, std::uint8_t* dst, std::size_t n) {
    const HANDLE h = reinterpret_cast<HANDLE>(m_handle);
    std::size_t done = 0;
    while (done < n) {
        const std::uint64_t at = offset + done;
        if (at < offset || at > static_cast<std::uint64_t>(INT64_MAX)) break;
        // The offset travels with each read, so reads never share a file position.
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(h, dst + done, want, &got, &where) || got == 0) break;  // end of file or an error
        done += got;
    }
    return done;
}

std::string programDirectory() {
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
        if (got == 0) return ".";
        if (got < exe.size()) {
            exe.resize(got);
            break;
        }
        if (exe.size() >= 32768) return ".";
        exe.resize(exe.size() * 2);
    }
    const std::size_t slash = exe.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return ".";
    const std::string dir = utf8FromWide(exe.substr(0, slash));
    return dir.empty() ? std::string(".") : dir;
}

}  // namespace parvex
