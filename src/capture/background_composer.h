#pragma once
// Blends a captured frame's layers, converts it to yuv420p (yuv_frame.h)
// and hands it to the video encoder on a thread of its own, while the show
// renders the next frame: blending, converting and waiting for ffmpeg to take
// the frame through the pipe would cost the render loop several ms a frame.
// Two rows at a time are blended and converted while they are in the cache.
// One frame is in flight at a time.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "render/layer_blend.h"

namespace qelo {

class VideoEncoder;

class BackgroundComposer {
public:
    // Frames of video's width x height go to `video`, which is started and
    // must outlive this.
    explicit BackgroundComposer(VideoEncoder& video);
    ~BackgroundComposer();  // finishes the frame in flight
    BackgroundComposer(const BackgroundComposer&) = delete;
    BackgroundComposer& operator=(const BackgroundComposer&) = delete;

    // Waits until the layers submitted last have been blended: their pixels
    // may be overwritten from now on.
    void waitForLayers();
    // Blends these layers (left in memory until waitForLayers returns) and
    // writes the frame. Returns why an earlier write failed, or an empty
    // string; after a failure nothing more is written.
    std::string submit(std::vector<LayerView> layers);
    // Waits until every submitted frame is written. Returns why a write
    // failed (the first failure), or an empty string.
    std::string drain();

private:
    void run();
    // The layers blended and converted into `frame`.
    void compose();

    VideoEncoder& video;
    std::vector<std::uint8_t> frame;  // yuv420p
    std::vector<std::uint8_t> rows;   // two blended RGBA rows
    std::mutex lock;
    std::condition_variable changed;
    std::vector<LayerView> layers;  // of the frame in flight
    bool pending = false;           // a frame submitted and not yet blended
    bool writing = false;           // a blended frame not yet written
    bool stopping = false;
    std::string failure;
    std::thread worker;  // last: starts once everything above exists
};

}  // namespace qelo
