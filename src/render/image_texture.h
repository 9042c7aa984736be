#pragma once
// A texture holding a decoded picture. Its GL name is generated in the
// context current at construction; its picture exists only in the context
// current when writePixels ran.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "render/texture.h"

namespace qelo {

class ImageTexture : public Texture {
public:
    ImageTexture();  // empty (0 x 0), linear filters, GL state unchanged
    ~ImageTexture() override;
    ImageTexture(const ImageTexture&) = delete;
    ImageTexture& operator=(const ImageTexture&) = delete;

    unsigned int bind() override;  // binds without enabling texturing
    // Reads back from GL on every call; leaves GL_TEXTURE_2D enabled and bound.
    std::uint8_t* readPixels() override;
    void writePixels(const std::uint8_t* pixels, std::int32_t width, std::int32_t height) override;

    unsigned int textureName = 0;
    std::unique_ptr<std::uint8_t[]> pixels;  // read-back copy, width x height x 4

private:
    std::size_t pixelsBytes = 0;  // size of the block `pixels` points to
};

// Every texel's alpha becomes (R + G + B) / 3 (integer division); uploads again.
void alphaFromLuminance(Texture& texture);

// The largest width and height of a texture the current context takes
// (GL_MAX_TEXTURE_SIZE under GL); the int32 maximum when GL reports none.
std::int32_t largestTextureSize();

}  // namespace qelo
