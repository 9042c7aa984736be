#pragma once
// The show's layers: render targets composited over the window in index
// order, target 0 at the bottom.
#include <cstdint>
#include <memory>

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

    std::int32_t count = 0;
    std::unique_ptr<std::unique_ptr<RenderTexture>[]> targets;
};

}  // namespace qelo
