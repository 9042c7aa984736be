#include "render/texture.h"

namespace qelo {

std::int32_t storageSizeFor(std::int32_t size)
{
    std::int32_t storage = 1;
    while (storage < size && storage < (1 << 30)) storage *= 2;
    return storage;
}

void Texture::setSize(std::int32_t w, std::int32_t h)
{
    width = w;
    height = h;
    storageWidth = storageSizeFor(w);
    storageHeight = storageSizeFor(h);
    uScale = static_cast<float>(static_cast<double>(w) / storageWidth);
    vScale = static_cast<float>(static_cast<double>(h) / storageHeight);
}

}  // namespace qelo
