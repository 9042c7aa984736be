#pragma once
// What the show can bind as a 2-D texture: decoded pictures and render
// targets. A picture of width x height texels sits in the lower-left corner
// (texture rows from 0) of the smallest power-of-two storage holding it;
// uScale, vScale are the texture coordinates of its right and far edges.
#include <cstdint>

namespace qelo {

class Texture {
public:
    Texture(std::int32_t width, std::int32_t height) { setSize(width, height); }
    virtual ~Texture() = default;

    // Binds to GL_TEXTURE_2D in the current context; returns the GL name.
    virtual unsigned int bind() = 0;
    // The texels, width x height RGBA, owned by the texture.
    virtual std::uint8_t* readPixels() = 0;
    // Replaces the picture with width x height RGBA texels, rows packed, first
    // row first; 0 x 0 keeps the current size.
    virtual void writePixels(const std::uint8_t* pixels, std::int32_t width, std::int32_t height) = 0;

    void setSize(std::int32_t width, std::int32_t height);

    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t storageWidth = 1;
    std::int32_t storageHeight = 1;
    float uScale = 0.0f;
    float vScale = 0.0f;
};

// The smallest power of two >= size, at least 1. Sizes above 2^30 give 2^30
// (no storage that large is ever made; the doubling must not overflow).
std::int32_t storageSizeFor(std::int32_t size);

}  // namespace qelo
