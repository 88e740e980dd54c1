#pragma once

// One pass over an image for every consumer of its bytes: each is fed the part of every chunk that
// it still wants, in file order, from one stream, so no byte is read twice however many consumers
// there are.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/ImageFile.h"
#include "core/ImageStream.h"

namespace parvex {

struct ByteRange {
    std::uint64_t from = 0;
    std::uint64_t to = 0;

    bool empty() const { return from >= to; }
};

class PassConsumer {
public:
    virtual ~PassConsumer() = default;

    // The bytes still wanted; empty once the consumer has its answer. Must only shrink from the
    // front as bytes are taken (or to nothing).
    virtual ByteRange wants() const = 0;

    // The image bytes from offset at on, inside what wants() said, in file order without gaps.
    virtual void take(std::uint64_t at, std::span<const std::uint8_t> bytes) = 0;

    // No more bytes come: the range was served, or the file stopped supplying (its end, a read
    // error, a cancel) with part of it unseen.
    virtual void end() {}
};

// Streams the smallest range covering what the consumers want and feeds them; stops reading as
// soon as none wants more. Chunks come from a reader thread (chunkSize bytes each, page-aligned).
// Returns the bytes handed out (the reader may have read up to its ring further).
std::uint64_t feedPass(ImageFile& file, std::span<PassConsumer* const> consumers,
                       std::size_t chunkSize = ImageStream::kChunkSize);
std::uint64_t feedPass(ImageFile& file, PassConsumer& consumer, std::size_t chunkSize = ImageStream::kChunkSize);

// A fixed region copied out of the pass: bytes the file did not supply stay zero.
class RegionCapture : public PassConsumer {
public:
    RegionCapture(std::uint64_t from, std::size_t size) : m_from(from), m_bytes(size, 0) {}

    ByteRange wants() const override { return {m_from + m_got, m_from + m_bytes.size()}; }
    void take(std::uint64_t at, std::span<const std::uint8_t> bytes) override;

    // The whole region, zero where the file ended early.
    std::span<const std::uint8_t> bytes() const { return m_bytes; }
    // Only the bytes the file supplied.
    std::span<const std::uint8_t> supplied() const { return std::span(m_bytes).first(m_got); }

private:
    std::uint64_t m_from;
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_got = 0;
};

}  // namespace parvex
