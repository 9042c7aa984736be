#pragma once
// Where the 1024 x 768 show lands on a drawable of another size: scaled as
// large as fits with its aspect kept, centred, the rest left as black bars.
#include <cstdint>

namespace qelo {

struct ViewportRect {
    std::int32_t x = 0;  // from the drawable's left edge, pixels
    std::int32_t y = 0;  // from the drawable's bottom edge, pixels (GL convention)
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// A drawable of exactly the show's size gives (0, 0, showWidth, showHeight).
// Empty or negative sizes give an empty rectangle.
ViewportRect fitViewport(std::int32_t drawableWidth, std::int32_t drawableHeight, std::int32_t showWidth,
                         std::int32_t showHeight);

}  // namespace qelo
