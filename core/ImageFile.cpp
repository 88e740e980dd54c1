#include "core/ImageFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace parvex {
namespace {

std::atomic<std::uint64_t> g_bytesRead{0};

}  // namespace

std::uint64_t ImageFile::bytesReadByProcess() { return g_bytesRead.load(std::memory_order_relaxed); }

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
    return ImageFile(fd, static_cast<std::uint64_t>(end));
}

ImageFile::ImageFile(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}

ImageFile::ImageFile(ImageFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_size(other.m_size),
      m_block(std::move(other.m_block)),
      m_progress(other.m_progress) {}

ImageFile& ImageFile::operator=(ImageFile&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_size = other.m_size;
        m_block = std::move(other.m_block);
        m_progress = other.m_progress;
    }
    return *this;
}

ImageFile::~ImageFile() {
    if (m_fd >= 0) ::close(m_fd);
}

std::size_t ImageFile::readRaw(std::uint64_t offset, std::uint8_t* dst, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const std::uint64_t at = offset + done;
        if (at < offset || at > static_cast<std::uint64_t>(INT64_MAX)) break;
        const ssize_t got = ::pread(m_fd, dst + done, n - done, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // end of file, or an error that ends the read like end of file
        done += static_cast<std::size_t>(got);
    }
    g_bytesRead.fetch_add(done, std::memory_order_relaxed);
    return done;
}

std::size_t ImageFile::readAt(std::uint64_t offset, std::uint8_t* dst, std::size_t n) {
    const std::size_t got = readRaw(offset, dst, n);
    if (got < n) std::memset(dst + got, 0, n - got);
    return got;
}

std::span<const std::uint8_t> ImageFile::load(std::uint64_t offset, std::size_t n) {
    if (!m_block) m_block = makeReadBuffer(kBlockSize);
    if (n > kBlockSize) n = kBlockSize;
    return {m_block.get(), readInto(offset, m_block.get(), n)};
}

std::size_t ImageFile::readInto(std::uint64_t offset, std::uint8_t* dst, std::size_t n) {
    if (m_progress && m_progress->cancelled.load(std::memory_order_relaxed)) return 0;
    const std::size_t got = readRaw(offset, dst, n);
    if (m_progress) m_progress->bytesRead.fetch_add(got, std::memory_order_relaxed);
    return got;
}

}  // namespace parvex
