#include "render/image_texture.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "render/current_drawing.h"

namespace qelo {

namespace {

constexpr std::size_t bytesPerTexel = 4;

// Linear filters on the texture bound now. Set after every upload: the
// uploading context may not be the one that generated the name, and there
// binding it made a fresh object with default parameters.
void setLinearFilters(DrawingContext& drawing) { drawing.textureFilter(TextureFilter::linear, TextureFilter::linear); }

std::size_t byteCount(std::int32_t width, std::int32_t height)
{
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * bytesPerTexel;
}

}  // namespace

ImageTexture::ImageTexture() : Texture(0, 0)
{
    DrawingContext& drawing = currentDrawing();
    drawing.pushAttributes();
    drawing.enable(Capability::texture2D);
    textureName = drawing.createTexture();  // bound, linear filters
    drawing.popAttributes();
}

ImageTexture::~ImageTexture()
{
    pixels.reset();
    currentDrawing().deleteTexture(textureName);
}

unsigned int ImageTexture::bind()
{
    currentDrawing().bindTexture(textureName);
    return textureName;
}

void ImageTexture::writePixels(const std::uint8_t* data, std::int32_t w, std::int32_t h)
{
    if (w == 0 && h == 0) {
        w = width;
        h = height;
    }
    if (w < 0 || h < 0 || (data == nullptr && w > 0 && h > 0)) {
        std::fprintf(stderr, "qelo: ignored a picture upload of %d x %d texels%s\n", w, h,
                     data == nullptr ? " without texels" : "");
        return;
    }
    setSize(w, h);

    // The picture sits in the lower-left of the power-of-two storage; the
    // padding is zero (transparent black), so linear samples at the edge
    // blend towards nothing rather than towards leftover memory.
    std::vector<std::uint8_t> staging(byteCount(storageWidth, storageHeight), 0);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerTexel;
    const std::size_t storageRowBytes = static_cast<std::size_t>(storageWidth) * bytesPerTexel;
    for (std::int32_t row = 0; row < height; ++row) {
        std::memcpy(staging.data() + row * storageRowBytes, data + row * rowBytes, rowBytes);
    }

    DrawingContext& drawing = currentDrawing();
    drawing.pushAttributes();
    drawing.enable(Capability::texture2D);
    drawing.bindTexture(textureName);
    drawing.textureImage(storageWidth, storageHeight, staging.data());
    setLinearFilters(drawing);
    drawing.popAttributes();
}

std::uint8_t* ImageTexture::readPixels()
{
    // The copy follows the picture's size: a texture rewritten at another
    // size gets a copy of the new size, never a write past the old one.
    const std::size_t pictureBytes = byteCount(width, height);
    if (!pixels || pixelsBytes != pictureBytes) {
        pixels = std::make_unique<std::uint8_t[]>(pictureBytes == 0 ? 1 : pictureBytes);
        pixelsBytes = pictureBytes;
    }
    std::vector<std::uint8_t> storage(byteCount(storageWidth, storageHeight));

    DrawingContext& drawing = currentDrawing();
    drawing.enable(Capability::texture2D);
    bind();
    drawing.readTextureImage(storage.data());

    const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerTexel;
    const std::size_t storageRowBytes = static_cast<std::size_t>(storageWidth) * bytesPerTexel;
    for (std::int32_t row = 0; row < height; ++row) {
        std::memcpy(pixels.get() + row * rowBytes, storage.data() + row * storageRowBytes, rowBytes);
    }
    return pixels.get();
}

void alphaFromLuminance(Texture& texture)
{
    std::uint8_t* picture = texture.readPixels();
    const std::size_t count = static_cast<std::size_t>(texture.width) * static_cast<std::size_t>(texture.height);
    std::uint8_t* texel = picture;
    for (std::size_t i = 0; i < count; ++i, texel += 4) {
        texel[3] = static_cast<std::uint8_t>((unsigned{texel[0]} + texel[1] + texel[2]) / 3);
    }
    texture.writePixels(picture, 0, 0);
}

std::int32_t largestTextureSize() { return currentDrawing().maxTextureSize(); }

}  // namespace qelo
