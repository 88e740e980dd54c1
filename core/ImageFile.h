#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>

namespace parvex {

// How far the long reads of one command have come, for a front end that watches from another
// thread, and its way to stop them: once cancelled, every further block read supplies nothing, as
// at end of file, so every scan ends at once.
struct ReadProgress {
    std::atomic<std::uint64_t> bytesRead{0};
    std::atomic<bool> cancelled{false};
};

// Every buffer a read lands in starts on a page: the kernel's copy into a destination off a
// 64-byte boundary costs several times more on some processors.
inline constexpr std::size_t kReadAlignment = 4096;

struct AlignedDelete {
    void operator()(std::uint8_t* p) const { ::operator delete[](p, std::align_val_t{kReadAlignment}); }
};
using AlignedBuffer = std::unique_ptr<std::uint8_t[], AlignedDelete>;

// n bytes starting on a kReadAlignment boundary, not initialised.
inline AlignedBuffer makeReadBuffer(std::size_t n) {
    return AlignedBuffer(static_cast<std::uint8_t*>(::operator new[](n, std::align_val_t{kReadAlignment})));
}

// The one way the system reads an image: absolute reads by offset into caller buffers or into one
// reusable block, never a mapping, never the whole file in memory. Read only.
class ImageFile {
public:
    static constexpr std::size_t kBlockSize = 1u << 20;

    // Opens a regular file for reading; the path is UTF-8 on every platform. Directories, FIFOs,
    // pipes, devices and missing files give nothing, exactly like a file that cannot be opened;
    // opening never blocks on a FIFO.
    static std::optional<ImageFile> open(const std::string& path);

    ImageFile(ImageFile&& other) noexcept;
    ImageFile& operator=(ImageFile&& other) noexcept;
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;
    ~ImageFile();

    // Size measured at open time (the end position of the file).
    std::uint64_t size() const { return m_size; }

    // True when the file's size or modification time is no longer what it was at open: something
    // wrote to the file while it was being read, so what was read may mix two states of it.
    bool changedSinceOpen() const;

    // The file's name as stored on disk when the system tells it (Windows: its case there, without
    // the trailing dots and blanks a typed name may carry); empty where the name given is the one.
    const std::string& storedName() const { return m_storedName; }

    // Reads up to n bytes at offset into dst. Whatever the file did not supply (end of file, a read
    // error, a file that shrank) is zero-filled, so a buffer never carries an earlier image's bytes.
    // Returns the number of bytes the file supplied.
    std::size_t readAt(std::uint64_t offset, std::uint8_t* dst, std::size_t n);

    // Reads up to min(n, kBlockSize) bytes at offset into the reader's own block and returns the
    // bytes actually supplied (shorter at end of file or on error). The span is valid until the
    // next call of load.
    std::span<const std::uint8_t> load(std::uint64_t offset, std::size_t n);

    // Like load, but into the caller's buffer: counts into the watched progress and supplies nothing
    // once it is cancelled. Safe to call from several threads at once (reads never share a position).
    std::size_t readInto(std::uint64_t offset, std::uint8_t* dst, std::size_t n);

    // Bytes every ImageFile of this process has been supplied so far, for the diagnostics that
    // show how often an image was read.
    static std::uint64_t bytesReadByProcess();

    // Block reads from now on count into progress and stop when it is cancelled; null for none.
    void watch(ReadProgress* progress) { m_progress = progress; }

private:
    // A file descriptor on POSIX systems, a HANDLE on Windows; both use -1 for none.
    using Handle = std::intptr_t;
    static constexpr Handle kNoHandle = -1;

    ImageFile(Handle handle, std::uint64_t size);

    // Reads into dst until n bytes, end of file or an error; never loops without end.
    std::size_t readRaw(std::uint64_t offset, std::uint8_t* dst, std::size_t n);
    static void closeHandle(Handle handle);

    Handle m_handle = kNoHandle;
    std::uint64_t m_size = 0;
    std::int64_t m_modified = 0;  // modification time at open, in the system's own units
    std::string m_storedName;
    AlignedBuffer m_block;
    ReadProgress* m_progress = nullptr;
};

// The directory holding the running program, UTF-8, where the side files are looked for; "." when
// the system cannot tell.
std::string programDirectory();

}  // namespace parvex
