#include "core/PassFeed.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace parvex {
namespace {

constexpr auto kSpinFor = std::chrono::microseconds(200);

void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// Chunk k of the range belongs to worker k % workers, which reads it into its own buffer and feeds
// it once chunk k - 1 has been fed. The core that copied a chunk out of the page cache is the one
// that reads it again, from its own cache; while it feeds, the other worker reads the next chunk.
// Consumers run one chunk at a time, in file order, whichever worker holds the turn: the turn's
// release and acquire order each consumer's calls.
class Pass {
public:
    Pass(ImageFile& file, std::span<PassConsumer* const> consumers, std::uint64_t from, std::uint64_t to,
         std::size_t chunkSize)
        : m_file(file), m_consumers(consumers), m_from(from), m_chunkSize(chunkSize), m_to(to) {}

    void setWorkers(std::size_t workers) { m_workers = workers; }

    // Reads and feeds chunks worker, worker + workers, ... until the pass is done.
    void work(std::size_t worker);

    // Both only once the workers have finished.
    std::uint64_t handed() const { return m_handed; }
    const std::exception_ptr& error() const { return m_error; }

private:
    std::uint64_t wantedEnd() const {
        std::uint64_t to = 0;
        for (const PassConsumer* c : m_consumers)
            if (const ByteRange r = c->wants(); !r.empty()) to = std::max(to, r.to);
        return to;
    }

    void feed(std::uint64_t at, std::span<const std::uint8_t> chunk) {
        const std::uint64_t end = at + chunk.size();
        for (PassConsumer* c : m_consumers) {
            const ByteRange r = c->wants();
            const std::uint64_t lo = std::max(r.from, at);
            const std::uint64_t hi = std::min(r.to, end);
            if (lo < hi)
                c->take(lo, chunk.subspan(static_cast<std::size_t>(lo - at), static_cast<std::size_t>(hi - lo)));
        }
    }

    // True once chunk index may be fed, false when the pass ended first. The other worker's turn
    // is about one chunk's work long, so a waiter first spins a while, yielding now and then in
    // case both workers share one core: waking a sleeping thread can cost more than a chunk's
    // work on virtual machines.
    bool awaitTurn(std::uint64_t index);
    // Hands the turn on (or ends the pass) and wakes a worker that went to sleep waiting.
    void passTurn(bool last);
    // Ends the pass for both workers; the first error is the one rethrown.
    void fail();

    ImageFile& m_file;
    std::span<PassConsumer* const> m_consumers;
    const std::uint64_t m_from;
    const std::size_t m_chunkSize;
    std::size_t m_workers = 1;

    std::atomic<std::uint64_t> m_to;       // lowered by the turn's holder as the consumers finish
    std::atomic<std::uint64_t> m_fed{0};   // chunks fed so far, which is the index whose turn it is
    std::atomic<bool> m_done{false};
    std::atomic<int> m_sleepers{0};
    std::mutex m_mutex;                    // for sleeping and for the error
    std::condition_variable m_turn;
    std::uint64_t m_handed = 0;            // only touched by the turn's holder
    std::exception_ptr m_error;
};

bool Pass::awaitTurn(std::uint64_t index) {
    const auto ready = [&] { return m_done.load() || m_fed.load() == index; };
    const auto giveUp = std::chrono::steady_clock::now() + kSpinFor;
    for (unsigned spin = 1; !ready(); ++spin) {
        if (spin % 16 == 0) {
            std::this_thread::yield();  // lets the other worker run if both share this core
            if (std::chrono::steady_clock::now() > giveUp) break;
        } else {
            cpuRelax();
        }
    }
    if (!ready()) {
        std::unique_lock lock(m_mutex);
        ++m_sleepers;
        m_turn.wait(lock, ready);
        --m_sleepers;
    }
    return !m_done.load();
}

void Pass::passTurn(bool last) {
    if (last) m_done = true;
    ++m_fed;
    // A sleeper counted itself before its last look at the turn, so either it saw the change or
    // it is counted here; taking the mutex waits until it sleeps.
    if (m_sleepers.load() > 0) {
        { std::lock_guard lock(m_mutex); }
        m_turn.notify_all();
    }
}

void Pass::fail() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_error) m_error = std::current_exception();
        m_done = true;
    }
    m_turn.notify_all();
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
        if (m_done.load()) return;
        const std::uint64_t at = m_from + index * m_chunkSize;
        const std::uint64_t to = m_to.load();
        const std::size_t want = at >= to ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(m_chunkSize, to - at));
        const std::size_t got = want == 0 ? 0 : m_file.readInto(at, buffer.get(), want);

        if (!awaitTurn(index)) return;
        // The end may have been lowered while this chunk was being read.
        const std::uint64_t end = m_to.load();
        const std::size_t size = at >= end ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(got, end - at));
        // A short read (end of file, an error, a cancel) ends the pass after what it supplied.
        bool last = size == 0 || got < want;
        if (size > 0) {
            try {
                feed(at, {buffer.get(), size});
                const std::uint64_t wanted = std::min(end, wantedEnd());
                m_to = wanted;
                m_handed += size;
                last = last || at + size >= wanted;
            } catch (...) {
                fail();
                return;
            }
        }
        passTurn(last);
        if (last) return;
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
