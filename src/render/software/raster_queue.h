#pragma once
// Pixel work done on a thread of its own, in the order it was asked for:
// while the show's thread works out the next primitives (scene logic,
// vertices, clipping), a second core fills the pixels of the ones before.
// Records go into chunks of memory that the worker takes in turn; a record
// is a function and the bytes it reads, copied in. Whoever reads what the
// records write (a picture) waits with drain() first.
//
// The show's thread is the only producer. Where a build has no threads, or
// the machine one core, there is no queue (shared() is null) and the caller
// does the work at once.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace qelo::software {

class RasterQueue {
public:
    // Runs one record; `payload` is the record's bytes, 8-byte aligned.
    using Run = void (*)(const std::byte* payload);

    RasterQueue();
    ~RasterQueue();  // runs what is queued, then stops the worker
    RasterQueue(const RasterQueue&) = delete;
    RasterQueue& operator=(const RasterQueue&) = delete;

    // The process's queue, made on first use and never destroyed (contexts
    // owned by globals may still drain it while the program ends); null
    // where the work is to be done at once.
    static RasterQueue* shared();

    // Queues `run` over the bytes of `head` followed by those of `tail`
    // (each trivially copyable; `tail` starts 8-byte aligned after `head`).
    void push(Run run, const void* head, std::size_t headBytes, const void* tail = nullptr, std::size_t tailBytes = 0);
    // Returns once every record pushed so far has run.
    void drain();
    // Bytes of records pushed and not yet run: how far the worker is behind.
    std::size_t backlog() const { return backlog_.load(std::memory_order_relaxed) + current_.used; }
    // Where `tail` starts in a payload after a head of `headBytes`.
    static constexpr std::size_t tailOffset(std::size_t headBytes) { return (headBytes + 7) / 8 * 8; }

private:
    struct Chunk {
        std::vector<std::byte> bytes;
        std::size_t used = 0;
    };
    static constexpr std::size_t chunkBytes = std::size_t{1} << 18;

    void publish();  // hands the current chunk to the worker, if it holds anything
    void work();

    Chunk current_;  // the producer's own, not yet published
    std::mutex lock_;
    std::condition_variable wake_, idle_;
    std::deque<Chunk> ready_;   // published, in order
    std::vector<Chunk> spare_;  // run, for reuse
    bool busy_ = false;
    bool stopping_ = false;
    std::atomic<std::size_t> backlog_{0};  // published, not yet run
    std::thread worker_;  // last: starts once everything above exists
};

}  // namespace qelo::software
