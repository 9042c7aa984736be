#include "render/software/texture_store.h"

namespace qelo::software {

bool everyAlphaOpaque(const std::uint8_t* rgba, std::size_t count)
{
    std::uint8_t all = 255;
    for (std::size_t k = 0; k < count; ++k) all &= rgba[4 * k + 3];
    return all == 255;
}

TextureId TextureStore::create()
{
    while (textures_.count(next_) != 0) ++next_;
    const TextureId texture = next_++;
    textures_[texture];
    return texture;
}

TextureImage* TextureStore::bind(TextureId texture)
{
    return texture == 0 ? nullptr : &textures_[texture];
}

TextureImage* TextureStore::find(TextureId texture)
{
    const auto found = textures_.find(texture);
    return found == textures_.end() ? nullptr : &found->second;
}

}  // namespace qelo::software
