// Writes on Windows: CreateFileW on the long-path form, a temporary file made with CREATE_NEW beside
// the target, then MoveFileExW (replacing only when asked).
#include "core/FileWrite.h"
#include "core/WideText.h"

#include <windows.h>

#include <algorithm>
#include <random>

namespace parvex {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring nameOf(const std::string& path) {
    return path.empty() ? std::wstring() : longPathForm(wideFromUtf8(path));
}

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
}

// Writes everything and closes; the GetLastError code of a failure, or 0.
DWORD writeAndClose(HANDLE h, std::string_view content) {
    DWORD error = 0;
    std::size_t done = 0;
    while (done < content.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 30));
        DWORD wrote = 0;
        if (!WriteFile(h, content.data() + done, want, &wrote, nullptr) || wrote == 0) {
            error = GetLastError();
            if (error == 0) error = ERROR_WRITE_FAULT;
            break;
        }
        done += wrote;
    }
    if (!CloseHandle(h) && error == 0) error = GetLastError();
    return error;
}

}  // namespace

std::wstring finalPathOf(void* handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD got = GetFinalPathNameByHandleW(static_cast<HANDLE>(handle), path.data(),
                                                    static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
        if (got == 0) return {};
        if (got < path.size()) {
            path.resize(got);
            return path;
        }
        path.resize(got + 1);
    }
    return {};
}

std::string systemMessage(unsigned long code) {
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = n && text ? utf8FromWide(std::wstring_view(text, n)) : std::string();
    if (text) LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : message;
}

PathFacts inspectPath(const std::string& path) {
    const std::wstring name = nameOf(path);
    if (name.empty()) return {};
    // Backup semantics opens a directory too; no access is asked, so nothing is locked or touched.
    HANDLE h = CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    PathFacts facts;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info)) {
        facts.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Directory : PathKind::Regular;
        facts.identity = identityOf(info);
        facts.size = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    } else {
        facts.kind = PathKind::Other;
    }
    CloseHandle(h);
    return facts;
}

std::optional<FileIdentity> standardOutputIdentity() {
    HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
    BY_HANDLE_FILE_INFORMATION info{};
    if (h == nullptr || h == INVALID_HANDLE_VALUE || GetFileType(h) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(h, &info))
        return std::nullopt;
    return identityOf(info);
}

std::optional<std::string> writeInPlace(const std::string& path, std::string_view content) {
    const std::wstring name = nameOf(path);
    HANDLE h = name.empty() ? INVALID_HANDLE_VALUE
                            : CreateFileW(name.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "cannot open " + path + ": " + systemMessage(GetLastError());
    if (const DWORD error = writeAndClose(h, content)) return "cannot write " + path + ": " + systemMessage(error);
    return std::nullopt;
}

WholeWrite writeWholeFile(const std::string& path, std::string_view content, bool replace) {
    WholeWrite result;
    std::wstring target = nameOf(path);
    if (target.empty()) {
        result.problem = "cannot write " + path + ": " + systemMessage(ERROR_INVALID_NAME);
        return result;
    }
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            result.problem = "cannot write " + path + ": " + systemMessage(ERROR_DIRECTORY);
            return result;
        }
        if (!replace) {
            result.existed = true;
            result.problem = path + " exists";
            return result;
        }
        // A read-only file, or one the user may not write, is not replaced; a link is followed.
        HANDLE probe = CreateFileW(target.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            result.problem = "cannot replace " + path + ": " + systemMessage(GetLastError());
            return result;
        }
        const std::wstring final = finalPathOf(probe);
        CloseHandle(probe);
        if (!final.empty()) target = final;
    }
    std::random_device entropy;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::wstring temp = target + L".tmp" + std::to_wstring(entropy() % 1000000);
        HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            result.problem = "cannot create a file beside " + path + ": " + systemMessage(error);
            return result;
        }
        DWORD error = writeAndClose(h, content);
        std::string problem = error ? "cannot write " + path + ": " + systemMessage(error) : "";
        if (error == 0 && !MoveFileExW(temp.c_str(), target.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) {
            error = GetLastError();
            result.existed = !replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS);
            problem = result.existed ? path + " exists"
                                     : "cannot rename into place at " + path + ": " + systemMessage(error);
        }
        if (error == 0) {
            result.written = true;
            return result;
        }
        DeleteFileW(temp.c_str());
        result.problem = problem;
        return result;
    }
    result.problem = "cannot create a temporary file beside " + path;
    return result;
}

}  // namespace parvex
