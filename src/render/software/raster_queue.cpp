#include "render/software/raster_queue.h"

#include <algorithm>
#include <cstring>

namespace qelo::software {

namespace {

struct Header {
    RasterQueue::Run run;
    std::uint32_t payloadBytes;
};

constexpr std::size_t roundUp(std::size_t n) { return (n + 7) / 8 * 8; }
constexpr std::size_t headerBytes = roundUp(sizeof(Header));

}  // namespace

RasterQueue::RasterQueue() : worker_([this] { work(); }) {}

RasterQueue::~RasterQueue()
{
    drain();
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

RasterQueue* RasterQueue::shared()
{
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    return nullptr;  // a build without threads
#else
    static RasterQueue* const queue = std::thread::hardware_concurrency() > 1 ? new RasterQueue : nullptr;
    return queue;
#endif
}

void RasterQueue::push(Run run, const void* head, std::size_t headBytes, const void* tail, std::size_t tailBytes)
{
    const std::size_t payload = roundUp(headBytes) + tailBytes;
    const std::size_t bytes = headerBytes + roundUp(payload);
    if (current_.bytes.size() - current_.used < bytes) {
        publish();
        if (current_.bytes.size() < bytes) current_.bytes.resize(std::max(chunkBytes, bytes));
    }
    std::byte* at = current_.bytes.data() + current_.used;
    const Header header{run, static_cast<std::uint32_t>(payload)};
    std::memcpy(at, &header, sizeof header);
    std::memcpy(at + headerBytes, head, headBytes);
    if (tailBytes > 0) std::memcpy(at + headerBytes + roundUp(headBytes), tail, tailBytes);
    current_.used += bytes;
}

void RasterQueue::publish()
{
    Chunk next;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (current_.used > 0) {
            backlog_.fetch_add(current_.used, std::memory_order_relaxed);
            ready_.push_back(std::move(current_));
            busy_ = true;
        }
        if (!spare_.empty()) {
            next = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    wake_.notify_one();
    next.used = 0;
    current_ = std::move(next);
}

void RasterQueue::drain()
{
    publish();
    std::unique_lock<std::mutex> guard(lock_);
    idle_.wait(guard, [this] { return !busy_; });
}

void RasterQueue::work()
{
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        wake_.wait(guard, [this] { return !ready_.empty() || stopping_; });
        if (ready_.empty()) return;  // stopping with nothing queued
        Chunk chunk = std::move(ready_.front());
        ready_.pop_front();
        guard.unlock();
        for (std::size_t at = 0; at < chunk.used;) {
            Header header;
            std::memcpy(&header, chunk.bytes.data() + at, sizeof header);
            header.run(chunk.bytes.data() + at + headerBytes);
            at += headerBytes + roundUp(header.payloadBytes);
        }
        backlog_.fetch_sub(chunk.used, std::memory_order_relaxed);
        guard.lock();
        spare_.push_back(std::move(chunk));
        if (ready_.empty()) {
            busy_ = false;
            idle_.notify_all();
        }
    }
}

}  // namespace qelo::software
