#include "core/ImageFile.h"

#include <cstring>
#include <utility>

// The platform half (open, raw read, close, program directory) is in ImageFilePosix.cpp and
// ImageFileWin.cpp; everything here is the same on every system.

namespace parvex {
namespace {

std::atomic<std::uint64_t> bytesRead{0};

}  // namespace

std::uint64_t ImageFile::bytesReadByProcess() { return bytesRead.load(std::memory_order_relaxed); }

ImageFile::ImageFile(Handle handle, std::uint64_t size) : m_handle(handle), m_size(size) {}

ImageFile::ImageFile(ImageFile&& other) noexcept
    : m_handle(std::exchange(other.m_handle, kNoHandle)),
      m_size(other.m_size),
      m_modified(other.m_modified),
      m_storedName(std::move(other.m_storedName)),
      m_block(std::move(other.m_block)),
      m_progress(other.m_progress) {}

ImageFile& ImageFile::operator=(ImageFile&& other) noexcept {
    if (this != &other) {
        if (m_handle != kNoHandle) closeHandle(m_handle);
        m_handle = std::exchange(other.m_handle, kNoHandle);
        m_size = other.m_size;
        m_modified = other.m_modified;
        m_storedName = std::move(other.m_storedName);
        m_block = std::move(other.m_block);
        m_progress = other.m_progress;
    }
    return *this;
}

ImageFile::~ImageFile() {
    if (m_handle != kNoHandle) closeHandle(m_handle);
}

std::size_t ImageFile::readAt(std::uint64_t offset, std::uint8_t* dst, std::size_t n) {
    const std::size_t got = readRaw(offset, dst, n);
    bytesRead.fetch_add(got, std::memory_order_relaxed);
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
    bytesRead.fetch_add(got, std::memory_order_relaxed);
    if (m_progress) m_progress->bytesRead.fetch_add(got, std::memory_order_relaxed);
    return got;
}

}  // namespace parvex
