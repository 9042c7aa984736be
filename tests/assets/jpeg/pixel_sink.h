#pragma once
// A Texture that keeps what it is given, for tests: no GL.
#include <cstdint>
#include <vector>

#include "render/texture.h"

namespace qelo::jpegtest {

class PixelSink : public Texture {
public:
    PixelSink() : Texture(0, 0) {}
    unsigned int bind() override { return 0; }
    std::uint8_t* readPixels() override { return pixels.data(); }
    void writePixels(const std::uint8_t* data, std::int32_t w, std::int32_t h) override
    {
        ++writes;
        setSize(w, h);
        pixels.assign(data, data + static_cast<std::size_t>(w) * h * 4);
    }
    // RGBA of pixel (x, y).
    const std::uint8_t* at(std::int32_t x, std::int32_t y) const { return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 4; }

    std::vector<std::uint8_t> pixels;
    int writes = 0;
};

}  // namespace qelo::jpegtest
