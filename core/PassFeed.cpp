#include "core/PassFeed.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "core/Cores.h"

namespace parvex {
namespace {

// A waiter whose turn comes from a worker running on another core spins this long before it
// sleeps: a little more than one consumer's work on a chunk, and less than waking a sleeping
// thread costs on a virtual machine.
constexpr auto kSpinFor = std::chrono::microseconds(50);
// A worker that finds itself on the core of the worker it waits for moves off it at most this often,
// so two workers never chase each other round the cores.
constexpr auto kMoveEvery = std::chrono::milliseconds(1);

// True at most once per kMoveEvery for the calling thread.
bool mayMove() {
    thread_local std::chrono::steady_clock::time_point last{};
    const auto now = std::chrono::steady_clock::now();
    if (now - last < kMoveEvery) return false;
    last = now;
    return true;
}

void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// Where a worker last ran, as seen by the one waiting for it.
struct alignas(64) Core {
    std::atomic<int> id{-1};
};

// One consumer's turn: the index of the chunk it is to be fed next. On a cache line of its own, as
// the workers hand it back and forth.
struct alignas(64) Turn {
    std::atomic<std::uint64_t> next{0};
    std::atomic<int> sleepers{0};
    std::atomic<bool> finished{false};  // wants nothing more: passed over without waiting
};

// Chunk k of the range belongs to worker k % workers, which reads it into its own buffer and feeds
// it to the consumers one after the other, each once that consumer has been fed chunk k - 1. So
// every consumer sees the chunks in file order, one call at a time (its turn's release and acquire
// order the calls), while two consumers may work at once on neighbouring chunks: one worker's CRC of
// chunk k beside the other's marker search of chunk k + 1. The core that copied a chunk out of the
// page cache is the one that reads it again, from its own cache.
class Pass {
public:
    Pass(ImageFile& file, std::span<PassConsumer* const> consumers, std::uint64_t from, std::uint64_t to,
         std::size_t chunkSize)
        : m_file(file),
          m_consumers(consumers),
          m_turns(std::make_unique<Turn[]>(consumers.size())),
          m_from(from),
          m_chunkSize(chunkSize),
          m_to(to) {}

    void setWorkers(std::size_t workers) { m_workers = workers; }

    // Reads and feeds chunks worker, worker + workers, ... until the pass is done.
    void work(std::size_t worker);

    // Both only once the workers have finished.
    std::uint64_t handed() const { return m_handed.load(); }
    const std::exception_ptr& error() const { return m_error; }

private:
    // Feeds the chunk at index to every consumer in its turn; false when the pass ended first.
    bool feed(std::uint64_t index, std::uint64_t at, std::span<const std::uint8_t> chunk);

    // The chunk starting at at is not to be fed: nothing from there on is wanted or supplied, or
    // the pass failed.
    bool stopped(std::uint64_t at) const { return m_failed.load() || at >= m_to.load(); }

    // True once consumer may be fed chunk index, false when the pass ended first.
    bool awaitTurn(std::size_t consumer, std::uint64_t index, std::uint64_t at);
    // Hands the consumer's turn on and wakes a worker that went to sleep waiting for it.
    void passTurn(std::size_t consumer);
    // Lowers the end of the pass (nothing wanted or supplied beyond it) and wakes the sleepers.
    void lowerEnd(std::uint64_t to);
    // Ends the pass for every worker; the first error is the one rethrown.
    void fail();
    void wakeAll() {
        { std::lock_guard lock(m_mutex); }
        m_wake.notify_all();
    }

    ImageFile& m_file;
    std::span<PassConsumer* const> m_consumers;
    std::unique_ptr<Turn[]> m_turns;
    std::array<Core, kPassWorkers> m_cores;
    const std::uint64_t m_from;
    const std::size_t m_chunkSize;
    std::size_t m_workers = 1;

    std::atomic<std::uint64_t> m_to;  // lowered as the consumers finish or the file stops supplying
    std::atomic<bool> m_failed{false};
    std::atomic<int> m_sleepers{0};
    std::atomic<std::uint64_t> m_handed{0};
    std::mutex m_mutex;  // for sleeping and for the error
    std::condition_variable m_wake;
    std::exception_ptr m_error;
};

bool Pass::awaitTurn(std::size_t consumer, std::uint64_t index, std::uint64_t at) {
    Turn& turn = m_turns[consumer];
    const auto ready = [&] { return turn.next.load() == index || stopped(at); };
    if (ready()) return !stopped(at);
    // The turn comes from the worker feeding chunk index - 1. Spinning only pays while it runs on
    // another core; on this one it waits for the spinner to stop, so the waiter moves away if it can
    // and sleeps if it cannot.
    int here = currentCore();
    const std::atomic<int>& holder = m_cores[(index - 1) % m_workers].id;
    const auto giveUp = std::chrono::steady_clock::now() + kSpinFor;
    for (unsigned spin = 0; !ready(); ++spin) {
        if (spin % 64 == 0) {
            const bool together = here >= 0 && holder.load(std::memory_order_relaxed) == here;
            // The kernel leaves two busy, cache-hot threads of one process on one core for tens of
            // milliseconds while the other core idles: moving is far cheaper than waiting.
            if (together && mayMove() && moveOffCore(here)) {
                here = currentCore();
                continue;
            }
            if (together || std::chrono::steady_clock::now() > giveUp) {
                std::unique_lock lock(m_mutex);
                ++turn.sleepers;
                ++m_sleepers;
                m_wake.wait(lock, ready);
                --turn.sleepers;
                --m_sleepers;
                break;
            }
        }
        cpuRelax();
    }
    m_cores[index % m_workers].id.store(currentCore(), std::memory_order_relaxed);  // moved, or woken elsewhere
    return !stopped(at);
}

void Pass::passTurn(std::size_t consumer) {
    Turn& turn = m_turns[consumer];
    ++turn.next;
    // A sleeper counted itself, under the mutex, before its last look at the turn: either it saw
    // the change or it is counted here, and taking the mutex waits until it sleeps.
    if (turn.sleepers.load() > 0) wakeAll();
}

void Pass::lowerEnd(std::uint64_t to) {
    std::uint64_t was = m_to.load();
    while (to < was && !m_to.compare_exchange_weak(was, to)) {
    }
    if (to < was && m_sleepers.load() > 0) wakeAll();
}

void Pass::fail() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_error) m_error = std::current_exception();
        m_failed = true;
    }
    m_wake.notify_all();
}

bool Pass::feed(std::uint64_t index, std::uint64_t at, std::span<const std::uint8_t> chunk) {
    const std::uint64_t end = at + chunk.size();
    std::uint64_t wanted = 0;  // the furthest any consumer still wants once fed this chunk
    for (std::size_t i = 0; i < m_consumers.size(); ++i) {
        if (m_turns[i].finished.load()) continue;
        if (!awaitTurn(i, index, at)) return false;
        PassConsumer* c = m_consumers[i];
        try {
            const ByteRange r = c->wants();
            const std::uint64_t lo = std::max(r.from, at);
            const std::uint64_t hi = std::min(r.to, end);
            if (lo < hi)
                c->take(lo, chunk.subspan(static_cast<std::size_t>(lo - at), static_cast<std::size_t>(hi - lo)));
            if (const ByteRange after = c->wants(); !after.empty()) wanted = std::max(wanted, after.to);
            else m_turns[i].finished = true;
        } catch (...) {
            fail();
            return false;
        }
        passTurn(i);
    }
    lowerEnd(wanted);
    return true;
}

void Pass::work(std::size_t worker) {
    AlignedBuffer buffer;
    try {
        buffer = makeReadBuffer(m_chunkSize);
    } catch (...) {
        fail();
        return;
    }
    for (std::uint64_t index = worker;; index += m_workers) {
        const std::uint64_t at = m_from + index * m_chunkSize;
        const std::uint64_t to = m_to.load();
        if (m_failed.load() || at >= to) return;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(m_chunkSize, to - at));
        const std::size_t got = m_file.readInto(at, buffer.get(), want);
        m_cores[worker].id.store(currentCore(), std::memory_order_relaxed);
        // A short read (end of file, an error, a cancel) ends the pass after what it supplied.
        if (got < want) lowerEnd(at + got);
        if (got == 0 || !feed(index, at, {buffer.get(), got})) return;
        m_handed += got;
        if (got < want) return;
    }
}

}  // namespace

std::uint64_t feedPass(ImageFile& file, std::span<PassConsumer* const> consumers, std::size_t chunkSize) {
    chunkSize = std::max<std::size_t>(chunkSize, 1);
    std::uint64_t from = kToFileEnd;
    std::uint64_t to = 0;
    for (const PassConsumer* c : consumers)
        if (const ByteRange r = c->wants(); !r.empty()) {
            from = std::min(from, r.from);
            to = std::max(to, r.to);
        }
    std::uint64_t read = 0;
    if (from < to) {
        Pass pass(file, consumers, from, to, chunkSize);
        // A range the file holds in one chunk is not worth a second thread.
        const std::uint64_t end = std::min(to, file.size());
        std::thread helper;
        if (end > from && end - from > chunkSize) {
            pass.setWorkers(kPassWorkers);
            try {
                helper = std::thread([&pass] { pass.work(1); });
            } catch (const std::system_error&) {
                pass.setWorkers(1);  // no thread to be had: one worker reads and feeds everything
            }
        }
        pass.work(0);
        if (helper.joinable()) helper.join();
        if (pass.error()) std::rethrow_exception(pass.error());
        read = pass.handed();
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
