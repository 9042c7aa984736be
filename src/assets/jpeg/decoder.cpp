#include "assets/jpeg/decoder.h"

#include <memory>
#include <new>

#include "assets/jpeg/headers.h"
#include "assets/jpeg/scan.h"

namespace qelo {

DecodeResult decode(Texture& texture, const std::uint8_t* bytes, std::int32_t size, std::int32_t maxTextureSize)
{
    if (bytes == nullptr || size <= 0) return {texture, "empty input"};
    jpeg::JpegHeaders headers;
    const char* error = jpeg::parseHeaders(headers, bytes, size, maxTextureSize);
    const auto failed = [&](const char* reason) { return DecodeResult{texture, reason, headers.width, headers.height}; };
    if (error) return failed(error);

    const auto pixelBytes = static_cast<std::size_t>(headers.width) * static_cast<std::size_t>(headers.height) * 4;
    const std::unique_ptr<std::uint8_t[]> pixels(new (std::nothrow) std::uint8_t[pixelBytes]);
    if (!pixels) return failed("out of memory");
    if ((error = jpeg::decodeScan(headers, bytes, size, pixels.get()))) return failed(error);

    texture.writePixels(pixels.get(), headers.width, headers.height);
    return {texture, nullptr, headers.width, headers.height};
}

}  // namespace qelo
