#include "capture/background_composer.h"

#include "capture/video_encoder.h"
#include "capture/yuv_frame.h"

namespace qelo {

BackgroundComposer::BackgroundComposer(VideoEncoder& video)
    : video(video),
      frame(yuv420Bytes(video.width(), video.height())),
      rows(static_cast<std::size_t>(video.width()) * 2 * 4),
      worker([this] { run(); })
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

void BackgroundComposer::compose()
{
    const std::int32_t width = video.width(), height = video.height();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    std::vector<LayerView> band = layers;
    for (std::int32_t row = 0; row < height; row += 2) {
        const std::int32_t count = row + 1 < height ? 2 : 1;
        for (std::size_t k = 0; k < band.size(); ++k) band[k].rgba = layers[k].rgba + row * rowBytes;
        composeLayers(rows.data(), band, static_cast<std::size_t>(width) * count);
        rgbaRowsToYuv420(rows.data(), rows.data() + (count - 1) * rowBytes, width,
                         yuvRowsAt(frame.data(), width, height, row));
    }
}

void BackgroundComposer::run()
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        changed.wait(guard, [this] { return pending || stopping; });
        if (!pending) return;  // stopping with nothing in flight
        guard.unlock();
        compose();
        guard.lock();
        pending = false;
        writing = true;
        changed.notify_all();  // the layers are free

        const bool failedBefore = !failure.empty();
        guard.unlock();
        // After a failure ffmpeg is gone: nothing more is sent.
        const std::string result = failedBefore ? std::string() : video.writeYuvFrame(frame.data());
        guard.lock();
        if (!result.empty() && failure.empty()) failure = result;
        writing = false;
        changed.notify_all();
    }
}

}  // namespace qelo
