#include "render/software/texture_store.h"

namespace qelo::software {

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
