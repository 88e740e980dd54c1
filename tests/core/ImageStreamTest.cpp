#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/ImageFile.h"
#include "core/ImageStream.h"
#include "core/PassFeed.h"
#include "tests/support/TempDir.h"

namespace parvex {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes randomBytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    return b;
}

bool aligned64(const void* p) { return reinterpret_cast<std::uintptr_t>(p) % 64 == 0; }

// Reads the whole stream back, checking every chunk's place and alignment on the way.
Bytes drain(ImageStream& stream, std::uint64_t from) {
    Bytes out;
    for (;;) {
        const ImageStream::Chunk chunk = stream.next();
        if (chunk.bytes.empty()) break;
        EXPECT_EQ(chunk.offset, from + out.size());
        EXPECT_TRUE(aligned64(chunk.bytes.data())) << "chunk at " << chunk.offset;
        out.insert(out.end(), chunk.bytes.begin(), chunk.bytes.end());
    }
    return out;
}

struct RangeRow {
    const char* fault;
    std::size_t fileSize;
    std::uint64_t from;
    std::uint64_t to;
    std::size_t chunk;
};

class StreamRanges : public testing::TestWithParam<RangeRow> {};

TEST_P(StreamRanges, DeliversExactlyTheRangeInOrderFromAlignedBuffers) {
    const RangeRow& row = GetParam();
    const Bytes image = randomBytes(row.fileSize, static_cast<std::uint32_t>(row.fileSize));
    test::TempDir dir;
    auto file = ImageFile::open(dir.write("image.srl", image));
    ASSERT_TRUE(file);
    ImageStream stream(*file, row.from, row.to, row.chunk);
    const Bytes got = drain(stream, row.from);
    const std::size_t end = static_cast<std::size_t>(std::min<std::uint64_t>(row.to, image.size()));
    const std::size_t begin = static_cast<std::size_t>(std::min<std::uint64_t>(row.from, end));
    EXPECT_EQ(got, Bytes(image.begin() + static_cast<std::ptrdiff_t>(begin), image.begin() + static_cast<std::ptrdiff_t>(end)));
    EXPECT_TRUE(stream.next().bytes.empty()) << "a stream that ended must stay ended";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StreamRanges,
    testing::Values(RangeRow{"WholeFileInOddChunks", 100000, 0, ImageStream::kToEnd, 4099},
                    RangeRow{"RangeEndInsideAChunk", 100000, 0, 50001, 4096},
                    RangeRow{"RangeStartingMidFile", 100000, 12345, 99999, 1000},
                    RangeRow{"RangePastTheEndOfFile", 5000, 0, 1 << 20, 4096},
                    RangeRow{"ChunkLargerThanTheFile", 5000, 0, ImageStream::kToEnd, ImageStream::kChunkSize},
                    RangeRow{"RangeStartingPastTheEnd", 5000, 6000, 9000, 512},
                    RangeRow{"EmptyFile", 0, 0, ImageStream::kToEnd, 4096},
                    RangeRow{"FileOfExactlyTheRingsSize", 4 * 4096, 0, ImageStream::kToEnd, 4096},
                    RangeRow{"ChunksOfOneByte", 3000, 0, ImageStream::kToEnd, 1}),
    [](const auto& param) { return std::string(param.param.fault); });

TEST(ImageStream, LoweredEndStopsTheReaderThere) {
    const Bytes image = randomBytes(1 << 20, 5);
    test::TempDir dir;
    auto file = ImageFile::open(dir.write("image.srl", image));
    ASSERT_TRUE(file);
    ImageStream stream(*file, 0, ImageStream::kToEnd, 4096);
    const ImageStream::Chunk first = stream.next();
    ASSERT_EQ(first.bytes.size(), 4096u);
    stream.limit(6000);
    std::uint64_t end = first.bytes.size();
    for (ImageStream::Chunk c = stream.next(); !c.bytes.empty(); c = stream.next()) end = c.offset + c.bytes.size();
    EXPECT_EQ(end, 6000u);
}

TEST(ImageStream, CancelStopsSupplyAndReadsAreCounted) {
    const Bytes image = randomBytes(1 << 20, 6);
    test::TempDir dir;
    auto file = ImageFile::open(dir.write("image.srl", image));
    ASSERT_TRUE(file);
    ReadProgress progress;
    file->watch(&progress);
    ImageStream stream(*file, 0, ImageStream::kToEnd, 4096);
    ASSERT_FALSE(stream.next().bytes.empty());
    progress.cancelled = true;
    std::uint64_t handed = 4096;
    for (ImageStream::Chunk c = stream.next(); !c.bytes.empty(); c = stream.next()) handed += c.bytes.size();
    // What the ring already held may still come; nothing read after the cancel does.
    EXPECT_LE(handed, (1 + ImageStream::kRingSize) * 4096u);
    EXPECT_GE(progress.bytesRead.load(), handed);
    EXPECT_LT(progress.bytesRead.load(), image.size());
}

TEST(ImageFile, BlockReadsLandOnAlignedBuffers) {
    const Bytes image = randomBytes(3 * ImageFile::kBlockSize / 2, 8);
    test::TempDir dir;
    auto file = ImageFile::open(dir.write("image.srl", image));
    ASSERT_TRUE(file);
    for (std::uint64_t at : {std::uint64_t{0}, std::uint64_t{17}, std::uint64_t{ImageFile::kBlockSize}}) {
        const auto block = file->load(at, ImageFile::kBlockSize);
        EXPECT_TRUE(aligned64(block.data())) << at;
    }
    EXPECT_TRUE(aligned64(makeReadBuffer(100).get()));
}

// A consumer that records what it is fed, wanting [from, to) and stopping after stopAfter bytes.
class Recorder : public PassConsumer {
public:
    Recorder(std::uint64_t from, std::uint64_t to, std::uint64_t stopAfter = ~std::uint64_t{0})
        : m_at(from), m_to(to), m_stopAfter(stopAfter) {}
    ByteRange wants() const override { return {m_at, m_stopped ? m_at : m_to}; }
    void take(std::uint64_t at, std::span<const std::uint8_t> bytes) override {
        EXPECT_EQ(at, m_at) << "fed out of order or with a gap";
        seen.insert(seen.end(), bytes.begin(), bytes.end());
        m_at = at + bytes.size();
        if (seen.size() >= m_stopAfter) m_stopped = true;
    }
    void end() override { ++ends; }
    Bytes seen;
    int ends = 0;

private:
    std::uint64_t m_at;
    std::uint64_t m_to;
    std::uint64_t m_stopAfter;
    bool m_stopped = false;
};

TEST(PassFeed, EveryConsumerGetsExactlyItsRangeFromOneReading) {
    const Bytes image = randomBytes(300000, 9);
    test::TempDir dir;
    auto file = ImageFile::open(dir.write("image.srl", image));
    ASSERT_TRUE(file);
    Recorder whole(0, image.size());
    Recorder middle(70000, 70100);
    Recorder tail(250000, 400000);
    Recorder early(1000, 200000, 10);
    PassConsumer* const all[] = {&whole, &middle, &tail, &early};
    const std::uint64_t before = ImageFile::bytesReadByProcess();
    feedPass(*file, all, 8192);
    EXPECT_EQ(ImageFile::bytesReadByProcess() - before, image.size()) << "each byte read once";
    const auto slice = [&](std::size_t a, std::size_t b) {
        return Bytes(image.begin() + static_cast<std::ptrdiff_t>(a), image.begin() + static_cast<std::ptrdiff_t>(b));
    };
    EXPECT_EQ(whole.seen, image);
    EXPECT_EQ(middle.seen, slice(70000, 70100));
    EXPECT_EQ(tail.seen, slice(250000, image.size()));
    EXPECT_EQ(early.seen, slice(1000, 8192));
    for (const Recorder* r : {&whole, &middle, &tail, &early}) EXPECT_EQ(r->ends, 1);
}

TEST(PassFeed, StopsReadingWhenNoConsumerWantsMore) {
    const Bytes image = randomBytes(1 << 20, 10);
    test::TempDir dir;
    auto file = ImageFile::open(dir.write("image.srl", image));
    ASSERT_TRUE(file);
    Recorder early(0, image.size(), 100);
    const std::uint64_t before = ImageFile::bytesReadByProcess();
    feedPass(*file, early, 4096);
    EXPECT_LE(ImageFile::bytesReadByProcess() - before, (1 + ImageStream::kRingSize) * 4096u);
}

}  // namespace
}  // namespace parvex
