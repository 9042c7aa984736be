#pragma once
// The textures of one software context: RGBA8 images, rows first to last =
// t from 0 up, width and height powers of two, with their two filters.
// Names count from 1; create() never hands out a name it gave before or
// one in use; 0 is none. bind() of a name the store does not hold makes an
// empty texture of that name, as binding an unused GL name does.
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "render/drawing_context.h"

namespace qelo::software {

struct TextureImage {
    std::int32_t width = 0, height = 0;  // 0 x 0 until an image is given
    std::vector<std::uint8_t> rgba;
    TextureFilter minifying = TextureFilter::linear;
    TextureFilter magnifying = TextureFilter::linear;
    // Set only when every texel's alpha is 255 (a photograph): then a
    // sample's alpha is 255 whatever the filter and coordinates. False is
    // always safe.
    bool opaque = false;
    bool complete() const { return width > 0 && height > 0; }
};

// Whether every alpha of `count` RGBA texels is 255.
bool everyAlphaOpaque(const std::uint8_t* rgba, std::size_t count);

class TextureStore {
public:
    TextureId create();
    // The texture of this name, made empty if the store does not hold it;
    // nullptr for 0.
    TextureImage* bind(TextureId texture);
    // nullptr for 0 or a name this store does not hold.
    TextureImage* find(TextureId texture);
    void erase(TextureId texture) { textures_.erase(texture); }

private:
    std::unordered_map<TextureId, TextureImage> textures_;
    TextureId next_ = 1;
};

}  // namespace qelo::software
