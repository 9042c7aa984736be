#include "shell/letterbox.h"

#include <cmath>

namespace qelo {

ViewportRect fitViewport(std::int32_t drawableWidth, std::int32_t drawableHeight, std::int32_t showWidth,
                         std::int32_t showHeight)
{
    if (drawableWidth <= 0 || drawableHeight <= 0 || showWidth <= 0 || showHeight <= 0) return {};
    // Compare aspects exactly in integers: which side limits the scale.
    const std::int64_t wideness = std::int64_t{drawableWidth} * showHeight - std::int64_t{drawableHeight} * showWidth;
    ViewportRect rect;
    if (wideness >= 0) {  // drawable as wide or wider: bars left and right
        rect.height = drawableHeight;
        rect.width = static_cast<std::int32_t>(
            std::llround(static_cast<double>(drawableHeight) * showWidth / showHeight));
    } else {  // narrower: bars top and bottom
        rect.width = drawableWidth;
        rect.height = static_cast<std::int32_t>(
            std::llround(static_cast<double>(drawableWidth) * showHeight / showWidth));
    }
    rect.x = (drawableWidth - rect.width) / 2;
    rect.y = (drawableHeight - rect.height) / 2;
    return rect;
}

}  // namespace qelo
