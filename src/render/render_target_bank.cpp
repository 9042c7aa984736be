#include "render/render_target_bank.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#include "render/layer_blend.h"
#include "shell/globals.h"

namespace qelo {

RenderTargetBank::RenderTargetBank(std::int32_t n)
{
    if (n != 0) create(n);
}

void RenderTargetBank::create(std::int32_t n)
{
    if (n <= 0) {
        targets.reset();
        count = 0;
        return;
    }
    auto made = std::make_unique<std::unique_ptr<RenderTexture>[]>(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
        made[i] = std::make_unique<RenderTexture>(mainWindow.width, mainWindow.height);
    }
    targets = std::move(made);
    count = n;
}

RenderTexture& RenderTargetBank::target(std::int32_t i)
{
    if (count < 1) {
        // A programming error, not a condition of the show: stop with a reason
        // rather than hand out a reference to nothing.
        std::fputs("qelo: a render target was asked for before the targets were created\n", stderr);
        std::abort();
    }
    if (i >= count) i = count - 1;
    if (i < 0) i = 0;
    return *targets[i];
}

void RenderTargetBank::clearAll()
{
    for (std::int32_t i = 0; i < count; ++i) targets[i]->clearOnNextUse();
    mainWindow.makeCurrent();
}

void RenderTargetBank::compositeAll()
{
    frameInMemory = composeInMemory;
    for (std::int32_t i = 0; i < count; ++i) {
        const RenderTexture& target = *targets[i];
        if (target.blendSource != GL_SRC_ALPHA || target.blendDestination != GL_ONE_MINUS_SRC_ALPHA ||
            target.width != mainWindow.width || target.height != mainWindow.height)
            frameInMemory = false;
    }
    for (std::int32_t i = 0; i < count; ++i) targets[i]->composite(!frameInMemory);
}

const std::uint8_t* RenderTargetBank::readPicture(std::int32_t i)
{
    RenderTexture& picture = target(i);
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, picture.textureName);
    const std::uint8_t* pixels = picture.readPixels();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    return pixels;
}

std::vector<LayerView> RenderTargetBank::readLayers()
{
    std::vector<LayerView> layers;
    for (std::int32_t i = 0; i < count; ++i) {
        const RenderTexture& layer = *targets[i];
        // An undrawn target is transparent and changes no pixel.
        if (layer.drawnSinceClear || layer.drawnInMemory) layers.push_back({readPicture(i), layer.opacity});
    }
    return layers;
}

const std::uint8_t* RenderTargetBank::composeFrame()
{
    const std::size_t pixelCount = static_cast<std::size_t>(mainWindow.width) * mainWindow.height;
    composedFrame.resize(pixelCount * 4);
    const std::vector<LayerView> layers = readLayers();
    composeLayers(composedFrame.data(), layers, pixelCount);
    return composedFrame.data();
}

}  // namespace qelo
