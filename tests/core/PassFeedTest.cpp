#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <sched.h>
#endif

#include "core/Cores.h"
#include "core/ImageFile.h"
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
        : m_from(from), m_at(from), m_to(to), m_stopAfter(stopAfter) {}
    ByteRange wants() const override { return {m_at, m_stopped ? m_at : m_to}; }
    void take(std::uint64_t at, std::span<const std::uint8_t> bytes) override {
        EXPECT_EQ(m_inside.exchange(true), false) << "two calls at once";
        EXPECT_EQ(at, m_at) << "fed out of order or with a gap";
        if (chunkStart && (at - m_from) % chunkStart == 0) {
            EXPECT_TRUE(aligned64(bytes.data())) << "chunk at " << at << " not on a 64-byte boundary";
        }
        if (cancelAfter && seen.size() < cancelAfter && seen.size() + bytes.size() >= cancelAfter)
            cancel->cancelled = true;
        seen.insert(seen.end(), bytes.begin(), bytes.end());
        m_at = at + bytes.size();
        if (seen.size() >= m_stopAfter) m_stopped = true;
        if (onTake) onTake(at);
        m_inside = false;
    }
    void end() override { ++ends; }
    Bytes seen;
    int ends = 0;
    std::size_t chunkStart = 0;   // when set, takes at multiples of it from the start must be aligned
    std::size_t cancelAfter = 0;  // when set, cancels *cancel once this many bytes were seen
    ReadProgress* cancel = nullptr;
    std::function<void(std::uint64_t)> onTake;  // run at the end of every take

private:
    std::atomic<bool> m_inside{false};
    std::uint64_t m_from;
    std::uint64_t m_at;
    std::uint64_t m_to;
    std::uint64_t m_stopAfter;
    bool m_stopped = false;
};

// Each consumer has a turn of its own: with chunks from 8 KiB down to 512 bytes the consumers early
// and late in the list are fed neighbouring chunks at once, each still in order exactly once.
class EveryConsumer : public testing::TestWithParam<std::size_t> {};

TEST_P(EveryConsumer, GetsExactlyItsRangeFromOneReading) {
    const std::size_t chunk = GetParam();
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
    feedPass(*file, all, chunk);
    EXPECT_EQ(ImageFile::bytesReadByProcess() - before, image.size()) << "each byte read once";
    const auto slice = [&](std::size_t a, std::size_t b) {
        return Bytes(image.begin() + static_cast<std::ptrdiff_t>(a), image.begin() + static_cast<std::ptrdiff_t>(b));
    };
    EXPECT_EQ(whole.seen, image);
    EXPECT_EQ(middle.seen, slice(70000, 70100));
    EXPECT_EQ(tail.seen, slice(250000, image.size()));
    EXPECT_EQ(early.seen, slice(1000, (1010 + chunk - 1) / chunk * chunk))
        << "to the end of the chunk where it stopped";
    for (const Recorder* r : {&whole, &middle, &tail, &early}) EXPECT_EQ(r->ends, 1);
}

INSTANTIATE_TEST_SUITE_P(ChunkSizes, EveryConsumer, testing::Values(8192, 4099, 512));

#if defined(__linux__)
// Moving off a core must leave the thread free to run wherever it could before: one left pinned to
// part of the machine would slow every later pass.
TEST(PassFeed, MovingOffACoreLeavesTheAffinityAsItWas) {
    cpu_set_t before, after;
    ASSERT_EQ(sched_getaffinity(0, sizeof before, &before), 0);
    const int here = currentCore();
    EXPECT_EQ(moveOffCore(here), CPU_COUNT(&before) > 1);
    EXPECT_TRUE(CPU_COUNT(&before) == 1 || currentCore() != here);
    ASSERT_EQ(sched_getaffinity(0, sizeof after, &after), 0);
    EXPECT_TRUE(CPU_EQUAL(&before, &after));
    EXPECT_FALSE(moveOffCore(-1));
}

// Both workers held on one core: a waiter cannot move off the core it shares with the worker it
// waits for, so it sleeps, and every consumer still gets its bytes in order.
TEST(PassFeed, WorkersHeldOnOneCoreStillDeliverEverything) {
    cpu_set_t before, one;
    ASSERT_EQ(sched_getaffinity(0, sizeof before, &before), 0);
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);  // the helper thread inherits it
    const Bytes image = randomBytes(200000, 13);
    test::TempDir dir;
    auto file = ImageFile::open(dir.write("image.srl", image));
    Recorder first(0, kToFileEnd), last(0, kToFileEnd);
    PassConsumer* const both[] = {&first, &last};
    if (file) feedPass(*file, both, 1024);
    sched_setaffinity(0, sizeof before, &before);
    ASSERT_TRUE(file);
    EXPECT_EQ(first.seen, image);
    EXPECT_EQ(last.seen, image);
}
#endif

// The last consumer in the list still holds chunk 0 when the first is fed chunk 1: it waits for
// that, which only a pass giving each consumer its own turn lets happen.
TEST(PassFeed, NeighbouringChunksReachTwoConsumersAtOnce) {
    const Bytes image = randomBytes(std::size_t{64} * 1024, 12);
    test::TempDir dir;
    auto file = ImageFile::open(dir.write("image.srl", image));
    ASSERT_TRUE(file);
    Recorder first(0, kToFileEnd);
    Recorder last(0, kToFileEnd);
    std::atomic<bool> firstHasChunk1{false};
    first.onTake = [&](std::uint64_t at) {
        if (at == 4096) firstHasChunk1 = true;
    };
    bool sawIt = false;
    last.onTake = [&](std::uint64_t at) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (at == 0 && !firstHasChunk1 && std::chrono::steady_clock::now() < giveUp) std::this_thread::yield();
        sawIt = sawIt || (at == 0 && firstHasChunk1);
    };
    PassConsumer* const both[] = {&first, &last};
    feedPass(*file, both, 4096);
    EXPECT_TRUE(sawIt) << "chunk 1 waited until the last consumer was done with chunk 0";
    EXPECT_EQ(first.seen, image);
    EXPECT_EQ(last.seen, image);
}

TEST(PassFeed, StopsReadingWhenNoConsumerWantsMore) {
    const Bytes image = randomBytes(1 << 20, 10);
    test::TempDir dir;
    auto file = ImageFile::open(dir.write("image.srl", image));
    ASSERT_TRUE(file);
    Recorder early(0, image.size(), 100);
    const std::uint64_t before = ImageFile::bytesReadByProcess();
    feedPass(*file, early, 4096);
    EXPECT_LE(ImageFile::bytesReadByProcess() - before, kPassWorkers * 4096u);
    EXPECT_EQ(early.seen, Bytes(image.begin(), image.begin() + 4096));
}

struct RangeRow {
    const char* fault;
    std::size_t fileSize;
    std::uint64_t from;
    std::uint64_t to;
    std::size_t chunk;
};

class PassRanges : public testing::TestWithParam<RangeRow> {};

// One consumer wanting [from, to) gets exactly the part of it the file holds, in order, each chunk
// from an aligned buffer, and hears the end once.
TEST_P(PassRanges, DeliversExactlyTheRangeInOrderFromAlignedBuffers) {
    const RangeRow& row = GetParam();
    const Bytes image = randomBytes(row.fileSize, static_cast<std::uint32_t>(row.fileSize));
    test::TempDir dir;
    auto file = ImageFile::open(dir.write("image.srl", image));
    ASSERT_TRUE(file);
    Recorder one(row.from, row.to);
    one.chunkStart = row.chunk;
    const std::uint64_t before = ImageFile::bytesReadByProcess();
    const std::uint64_t handed = feedPass(*file, one, row.chunk);
    const std::size_t end = static_cast<std::size_t>(std::min<std::uint64_t>(row.to, image.size()));
    const std::size_t begin = static_cast<std::size_t>(std::min<std::uint64_t>(row.from, end));
    EXPECT_EQ(one.seen, Bytes(image.begin() + static_cast<std::ptrdiff_t>(begin),
                              image.begin() + static_cast<std::ptrdiff_t>(end)));
    EXPECT_EQ(handed, one.seen.size());
    EXPECT_EQ(ImageFile::bytesReadByProcess() - before, one.seen.size()) << "each byte read once, nothing beyond";
    EXPECT_EQ(one.ends, 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, PassRanges,
                         testing::Values(RangeRow{"WholeFileInOddChunks", 100000, 0, kToFileEnd, 4099},
                                         RangeRow{"RangeEndInsideAChunk", 100000, 0, 50001, 4096},
                                         RangeRow{"RangeStartingMidFile", 100000, 12345, 99999, 1000},
                                         RangeRow{"RangePastTheEndOfFile", 5000, 0, 1 << 20, 4096},
                                         RangeRow{"ChunkLargerThanTheFile", 5000, 0, kToFileEnd, kPassChunkSize},
                                         RangeRow{"RangeStartingPastTheEnd", 5000, 6000, 9000, 512},
                                         RangeRow{"EmptyFile", 0, 0, kToFileEnd, 4096},
                                         RangeRow{"FileOfExactlyTwoChunks", 2 * std::size_t{4096}, 0, kToFileEnd,
                                                  4096},
                                         RangeRow{"ChunksOfOneByte", 3000, 0, kToFileEnd, 1}),
                         [](const auto& param) { return std::string(param.param.fault); });

TEST(PassFeed, CancelStopsSupplyAndReadsAreCounted) {
    const Bytes image = randomBytes(1 << 20, 6);
    test::TempDir dir;
    auto file = ImageFile::open(dir.write("image.srl", image));
    ASSERT_TRUE(file);
    ReadProgress progress;
    file->watch(&progress);
    Recorder whole(0, kToFileEnd);
    whole.cancelAfter = 1;
    whole.cancel = &progress;
    Recorder after(0, kToFileEnd);
    PassConsumer* const both[] = {&whole, &after};
    feedPass(*file, both, 4096);
    EXPECT_EQ(after.seen, whole.seen) << "the consumers behind the cancel see the same chunks";
    EXPECT_EQ(after.ends, 1);
    // The chunk the other worker had already read may still come; nothing read after the cancel does.
    EXPECT_GE(whole.seen.size(), 4096u);
    EXPECT_LE(whole.seen.size(), kPassWorkers * 4096u);
    EXPECT_EQ(whole.seen, Bytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(whole.seen.size())));
    EXPECT_GE(progress.bytesRead.load(), whole.seen.size());
    EXPECT_LE(progress.bytesRead.load(), kPassWorkers * 4096u);
    EXPECT_EQ(whole.ends, 1);
}

// A consumer that gives up mid-pass: the pass ends, no consumer hears more, the error comes out.
class Thrower : public PassConsumer {
public:
    ByteRange wants() const override { return {m_at, kToFileEnd}; }
    void take(std::uint64_t at, std::span<const std::uint8_t> bytes) override {
        if (at >= 20000) throw std::runtime_error("consumer failed");
        m_at = at + bytes.size();
    }

private:
    std::uint64_t m_at = 0;
};

// The thrower fails on chunk 5 (bytes 20480 on). A consumer after it in the list never gets that
// chunk; one before it may get the chunk the other worker holds, no further.
TEST(PassFeed, ConsumerExceptionEndsThePassAndIsRethrown) {
    const Bytes image = randomBytes(1 << 20, 11);
    test::TempDir dir;
    auto file = ImageFile::open(dir.write("image.srl", image));
    ASSERT_TRUE(file);
    Thrower thrower;
    Recorder before(0, kToFileEnd);
    Recorder after(0, kToFileEnd);
    PassConsumer* const all[] = {&before, &thrower, &after};
    EXPECT_THROW(feedPass(*file, all, 4096), std::runtime_error);
    EXPECT_EQ(before.seen.size() % 4096, 0u);
    EXPECT_LE(before.seen.size(), (5 + kPassWorkers) * 4096u) << "fed past the chunk in hand";
    EXPECT_LE(after.seen.size(), 5 * 4096u) << "fed the failing chunk or one after it";
}

}  // namespace
}  // namespace parvex
