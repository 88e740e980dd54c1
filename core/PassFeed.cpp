#include "core/PassFeed.h"

#include <algorithm>
#include <cstring>

namespace parvex {

std::uint64_t feedPass(ImageFile& file, std::span<PassConsumer* const> consumers, std::size_t chunkSize) {
    const auto wantedEnd = [&] {
        std::uint64_t to = 0;
        for (const PassConsumer* c : consumers)
            if (const ByteRange r = c->wants(); !r.empty()) to = std::max(to, r.to);
        return to;
    };
    std::uint64_t from = ImageStream::kToEnd;
    for (const PassConsumer* c : consumers)
        if (const ByteRange r = c->wants(); !r.empty()) from = std::min(from, r.from);
    std::uint64_t read = 0;
    if (from != ImageStream::kToEnd) {
        ImageStream stream(file, from, wantedEnd(), chunkSize);
        for (;;) {
            const ImageStream::Chunk chunk = stream.next();
            if (chunk.bytes.empty()) break;
            read += chunk.bytes.size();
            const std::uint64_t end = chunk.offset + chunk.bytes.size();
            for (PassConsumer* c : consumers) {
                const ByteRange r = c->wants();
                const std::uint64_t lo = std::max(r.from, chunk.offset);
                const std::uint64_t hi = std::min(r.to, end);
                if (lo < hi)
                    c->take(lo, chunk.bytes.subspan(static_cast<std::size_t>(lo - chunk.offset),
                                                    static_cast<std::size_t>(hi - lo)));
            }
            const std::uint64_t to = wantedEnd();
            if (to <= end) break;
            stream.limit(to);
        }
    }
    for (PassConsumer* c : consumers) c->end();
    return read;
}

std::uint64_t feedPass(ImageFile& file, PassConsumer& consumer, std::size_t chunkSize) {
    PassConsumer* const one[] = {&consumer};
    return feedPass(file, one, chunkSize);
}

void RegionCapture::take(std::uint64_t at, std::span<const std::uint8_t> bytes) {
    const auto into = static_cast<std::size_t>(at - m_from);
    const std::size_t n = std::min(bytes.size(), m_bytes.size() - into);
    std::memcpy(m_bytes.data() + into, bytes.data(), n);
    m_got = into + n;
}

}  // namespace parvex
