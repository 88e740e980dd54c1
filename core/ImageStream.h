#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <mutex>
#include <span>
#include <thread>

#include "core/ImageFile.h"

namespace parvex {

// Reads a range of an image in file order on a reader thread, into a small ring of page-aligned
// chunks, while the caller works on the chunks already read: reading and computing overlap on two
// cores, and memory stays at the ring's size whatever the image's.
class ImageStream {
public:
    static constexpr std::size_t kChunkSize = 256 * 1024;
    static constexpr std::size_t kRingSize = 4;
    // A range end that means "until the file supplies nothing".
    static constexpr std::uint64_t kToEnd = std::numeric_limits<std::uint64_t>::max();

    // The file must outlive the stream and must not be read by anyone else while it runs.
    ImageStream(ImageFile& file, std::uint64_t from, std::uint64_t to, std::size_t chunkSize = kChunkSize);
    ~ImageStream();
    ImageStream(const ImageStream&) = delete;
    ImageStream& operator=(const ImageStream&) = delete;

    struct Chunk {
        std::uint64_t offset = 0;
        std::span<const std::uint8_t> bytes;  // empty: the stream has ended
    };

    // The next chunk in file order; the previous one is handed back to the reader. Empty once the
    // range is done, the file supplied less than asked (its end, an error, a cancel) or the end was
    // lowered to here.
    Chunk next();

    // Lowers the end of the range (never raises it): the reader reads nothing at or after it.
    void limit(std::uint64_t to);

private:
    struct Slot {
        AlignedBuffer buffer;
        std::uint64_t offset = 0;
        std::size_t size = 0;
        bool last = false;  // the read came back short or the range ended: nothing follows
    };

    void readLoop();

    ImageFile& m_file;
    std::size_t m_chunkSize;
    Slot m_slots[kRingSize];
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_to;
    std::size_t m_filled = 0;    // slots read, counted from the start
    std::size_t m_consumed = 0;  // slots handed back
    bool m_handedOut = false;
    bool m_ended = false;
    bool m_stop = false;
    std::uint64_t m_readAt;
    std::thread m_reader;
};

}  // namespace parvex
