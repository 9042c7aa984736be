#pragma once
// The GL renderer's viewport, which the drawing interface leaves out: the
// software renderer always draws its whole picture.
#include <cstdint>

namespace qelo {

void setGlViewport(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
// Width and height of the current context's viewport, in pixels.
void glViewportSize(std::int32_t& width, std::int32_t& height);

}  // namespace qelo
