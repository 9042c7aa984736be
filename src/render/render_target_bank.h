#pragma once
// The show's layers: render targets composited over the window in index
// order, target 0 at the bottom.
#include <cstdint>
#include <memory>
#include <vector>

#include "render/layer_blend.h"
#include "render/render_texture.h"

namespace qelo {

struct RenderTargetBank {
    explicit RenderTargetBank(std::int32_t n = 0);

    // Creates n targets of the window's size, in index order. Once, on an empty bank.
    void create(std::int32_t n);
    // The index is clamped into [0, count - 1]. Requires count >= 1.
    RenderTexture& target(std::int32_t i);
    // Each target made current and, unless still clear, cleared; the window's
    // context current after.
    void clearAll();
    // Every target composited over the window, in index order.
    void compositeAll();

    // Target i's picture (width x height RGBA, row 0 the target's bottom row,
    // which the window shows at its top), read in the current context without
    // changing its texture binding.
    const std::uint8_t* readPicture(std::int32_t i);
    // The frame compositeAll left in memory: the window's pixels, top row
    // first, RGBA. Window context current.
    const std::uint8_t* composeFrame();
    // What composeFrame blends: the drawn targets' pictures, bottom layer
    // first. Each stays valid until that target is read again.
    std::vector<LayerView> readLayers();

    std::int32_t count = 0;
    std::unique_ptr<std::unique_ptr<RenderTexture>[]> targets;
    // Compositing in memory (capture, benchmark; always with the software
    // renderer): compositeAll makes every state change but draws no quad,
    // and composeFrame blends the pictures the way the window would. Only
    // the standard blend is done in memory; a GL frame with another is
    // composited over the window as usual.
    bool composeInMemory = false;
    // A reader (a video's writer) blends each frame's pictures while the
    // next frame is drawn: the software renderer keeps them (clearOnNextUse).
    bool picturesOutliveFrame = false;
    bool frameInMemory = false;  // the last compositeAll left its frame to composeFrame
    std::vector<std::uint8_t> composedFrame;
};

}  // namespace qelo
