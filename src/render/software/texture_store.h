#pragma once
// The textures of one software context: RGBA8 images, rows first to last =
// t from 0 up, width and height powers of two, with their two filters.
// Names count from 1; create() never hands out a name it gave before or
// one in use; 0 is none. bind() of a name the store does not hold makes an
// empty texture of that name, as binding an unused GL name does.
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
    bool complete() const { return width > 0 && height > 0; }
};

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
