// File access on POSIX systems: pread on a read-only descriptor.
#include "core/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>

#include <filesystem>
#include <system_error>

namespace parvex {
namespace {

std::int64_t modifiedTime(const struct stat& st) {
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

std::optional<ImageFile> ImageFile::open(const std::string& path) {
    if (path.empty()) return std::nullopt;
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused just below anyway.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0) {
        ::close(fd);
        return std::nullopt;
    }
    ImageFile file(fd, static_cast<std::uint64_t>(end));
    file.m_modified = modifiedTime(st);
    return file;
}

bool ImageFile::changedSinceOpen() const {
    struct stat st {};
    if (::fstat(static_cast<int>(m_handle), &st) != 0) return true;
    return static_cast<std::uint64_t>(st.st_size) != m_size || modifiedTime(st) != m_modified;
}

void ImageFile::closeHandle(Handle handle) { ::close(static_cast<int>(handle)); }

std::size_t ImageFile::readRaw(std::uint64_t offset, std::uint8_t* dst, std::size_t n) {
    const int fd = static_cast<int>(m_handle);
    std::size_t done = 0;
    while (done < n) {
        const std::uint64_t at = offset + done;
        if (at < offset || at > static_cast<std::uint64_t>(INT64_MAX)) break;
        const ssize_t got = ::pread(fd, dst + done, n - done, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // end of file, or an error that ends the read like end of file
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::string programDirectory() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

}  // namespace parvex
