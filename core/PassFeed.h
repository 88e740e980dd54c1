#pragma once

// One pass over an image for every consumer of its bytes: each is fed the part of every chunk that
// it still wants, in file order, so no byte is read twice however many consumers there are.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "core/ImageFile.h"

namespace parvex {

struct ByteRange {
    std::uint64_t from = 0;
    std::uint64_t to = 0;

    bool empty() const { return from >= to; }
};

// A range end that means "until the file supplies nothing".
inline constexpr std::uint64_t kToFileEnd = std::numeric_limits<std::uint64_t>::max();

// The pass reads in chunks of this size by default: small enough that a chunk read by one core is
// still in that core's cache when the consumers work on it.
inline constexpr std::size_t kPassChunkSize = std::size_t{256} * 1024;

// Threads reading and feeding chunks in turn; at most this many chunks are in hand at once, so the
// pass reads at most kPassWorkers - 1 chunks beyond the point where no consumer wants more.
inline constexpr std::size_t kPassWorkers = 2;

class PassConsumer {
public:
    virtual ~PassConsumer() = default;

    // The bytes still wanted; empty once the consumer has its answer. Must only shrink from the
    // front as bytes are taken (or to nothing).
    virtual ByteRange wants() const = 0;

    // The image bytes from offset at on, inside what wants() said, in file order without gaps.
    // Calls may come from different threads, one at a time, each seeing what the one before did.
    // Two consumers may be called at once (on neighbouring chunks): they share no unguarded state.
    virtual void take(std::uint64_t at, std::span<const std::uint8_t> bytes) = 0;

    // No more bytes come: the range was served, or the file stopped supplying (its end, a read
    // error, a cancel) with part of it unseen.
    virtual void end() {}
};

// Streams the smallest range covering what the consumers want and feeds them; stops reading as
// soon as none wants more. Chunks are chunkSize bytes, each read into a page-aligned buffer by
// the worker that then feeds it to the consumers in list order, each consumer in its own turn:
// while one worker feeds chunk k to a consumer late in the list, the other reads chunk k + 1 or
// feeds it to the consumers before. Returns the bytes handed out. An exception from a consumer
// ends the pass and is rethrown here; the consumers before it may have had one chunk more.
std::uint64_t feedPass(ImageFile& file, std::span<PassConsumer* const> consumers,
                       std::size_t chunkSize = kPassChunkSize);
std::uint64_t feedPass(ImageFile& file, PassConsumer& consumer, std::size_t chunkSize = kPassChunkSize);

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
