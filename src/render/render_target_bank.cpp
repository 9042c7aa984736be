#include "render/render_target_bank.h"

#include <cstdio>
#include <cstdlib>

#include "render/layer_blend.h"
#include "render/current_drawing.h"
#include "shell/globals.h"
#include "shell/renderer_kind.h"

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
    for (std::int32_t i = 0; i < count; ++i) targets[i]->clearOnNextUse(picturesOutliveFrame);
    makeWindowCurrent();
}

void RenderTargetBank::compositeAll()
{
    // The software renderer has no window to draw on: its frame is always
    // put together in memory.
    frameInMemory = composeInMemory || activeRenderer == RendererKind::software;
    for (std::int32_t i = 0; i < count; ++i) {
        const RenderTexture& target = *targets[i];
        if (target.blendSource != BlendFactor::sourceAlpha || target.blendDestination != BlendFactor::oneMinusSourceAlpha ||
            target.width != mainWindow.width || target.height != mainWindow.height)
            frameInMemory = false;
    }
    for (std::int32_t i = 0; i < count; ++i) targets[i]->composite(!frameInMemory);
}

const std::uint8_t* RenderTargetBank::readPicture(std::int32_t i)
{
    RenderTexture& picture = target(i);
    if (activeRenderer == RendererKind::software) return picture.readPixels();
    DrawingContext& window = windowDrawing();
    window.pushAttributes();
    window.bindTexture(picture.textureName);
    const std::uint8_t* pixels = picture.readPixels();
    window.popAttributes();
    return pixels;
}

std::vector<LayerView> RenderTargetBank::readLayers()
{
    std::vector<LayerView> layers;
    for (std::int32_t i = 0; i < count; ++i) {
        const RenderTexture& layer = *targets[i];
        // An undrawn target is transparent and changes no pixel.
        if (layer.drawnSinceClear) layers.push_back({readPicture(i), layer.opacity});
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
