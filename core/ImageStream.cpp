#include "core/ImageStream.h"

#include <algorithm>

namespace parvex {

ImageStream::ImageStream(ImageFile& file, std::uint64_t from, std::uint64_t to, std::size_t chunkSize)
    : m_file(file), m_chunkSize(std::max<std::size_t>(chunkSize, 1)), m_to(to), m_readAt(from) {
    for (Slot& slot : m_slots) slot.buffer = makeReadBuffer(m_chunkSize);
    m_reader = std::thread([this] { readLoop(); });
}

ImageStream::~ImageStream() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_reader.join();
}

void ImageStream::limit(std::uint64_t to) {
    std::lock_guard lock(m_mutex);
    m_to = std::min(m_to, to);
}

void ImageStream::readLoop() {
    for (;;) {
        std::size_t index = 0;
        std::size_t want = 0;
        std::uint64_t at = 0;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || m_filled - m_consumed < kRingSize; });
            if (m_stop) return;
            index = m_filled % kRingSize;
            at = m_readAt;
            want = at >= m_to ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(m_chunkSize, m_to - at));
        }
        Slot& slot = m_slots[index];
        const std::size_t got = want == 0 ? 0 : m_file.readInto(at, slot.buffer.get(), want);
        {
            std::lock_guard lock(m_mutex);
            slot.offset = at;
            // A range lowered while this read ran still ends at the new end.
            slot.size = at >= m_to ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(got, m_to - at));
            slot.last = got < want || want == 0 || at + got >= m_to;
            m_readAt = at + got;
            ++m_filled;
        }
        m_changed.notify_all();
        if (slot.last) return;
    }
}

ImageStream::Chunk ImageStream::next() {
    std::unique_lock lock(m_mutex);
    if (m_handedOut) {
        m_handedOut = false;
        ++m_consumed;
        m_changed.notify_all();
    }
    if (m_ended) return {m_readAt, {}};
    m_changed.wait(lock, [&] { return m_filled > m_consumed; });
    const Slot& slot = m_slots[m_consumed % kRingSize];
    if (slot.last) m_ended = true;
    const bool beyond = slot.offset >= m_to;
    if (slot.size == 0 || beyond) {
        m_ended = true;
        ++m_consumed;
        return {slot.offset, {}};
    }
    m_handedOut = true;
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(slot.size, m_to - slot.offset));
    return {slot.offset, {slot.buffer.get(), size}};
}

}  // namespace parvex
