#include "capture/background_composer.h"

#include "capture/video_encoder.h"

namespace qelo {

BackgroundComposer::BackgroundComposer(VideoEncoder& video, std::size_t pixelCount)
    : video(video), frame(pixelCount * 4), worker([this] { run(); })
{
}

BackgroundComposer::~BackgroundComposer()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    changed.notify_all();
    worker.join();
}

void BackgroundComposer::waitForLayers()
{
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [this] { return !pending; });
}

std::string BackgroundComposer::submit(std::vector<LayerView> frameLayers)
{
    std::string failedSoFar;
    {
        std::unique_lock<std::mutex> guard(lock);
        // The frame buffer is free once the frame before is written.
        changed.wait(guard, [this] { return !pending && !writing; });
        layers = std::move(frameLayers);
        pending = true;
        failedSoFar = failure;
    }
    changed.notify_all();
    return failedSoFar;
}

std::string BackgroundComposer::drain()
{
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [this] { return !pending && !writing; });
    return failure;
}

void BackgroundComposer::run()
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        changed.wait(guard, [this] { return pending || stopping; });
        if (!pending) return;  // stopping with nothing in flight
        guard.unlock();
        composeLayers(frame.data(), layers, frame.size() / 4);
        guard.lock();
        pending = false;
        writing = true;
        changed.notify_all();  // the layers are free

        const bool failedBefore = !failure.empty();
        guard.unlock();
        // After a failure ffmpeg is gone: nothing more is sent.
        const std::string result = failedBefore ? std::string() : video.writeFrame(frame.data());
        guard.lock();
        if (!result.empty() && failure.empty()) failure = result;
        writing = false;
        changed.notify_all();
    }
}

}  // namespace qelo
