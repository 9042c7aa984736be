#include "capture/png_writer.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace qelo {

std::string writePng(const std::string& path, const PngPicture& picture)
{
    if (!picture.rgba || picture.width <= 0 || picture.height <= 0) return "empty picture";

    const std::size_t texels = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
    const std::uint8_t* source = picture.rgba;
    std::vector<std::uint8_t> rgb;
    int channels = 4;
    if (!picture.keepAlpha) {
        channels = 3;
        rgb.resize(texels * 3);
        for (std::size_t i = 0; i < texels; ++i) std::memcpy(&rgb[i * 3], &picture.rgba[i * 4], 3);
        source = rgb.data();
    }

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = picture.keepAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    image.flags = PNG_IMAGE_FLAG_FAST;

    // A negative row stride tells libpng that the first row in memory is the
    // picture's bottom row.
    const png_int_32 stride = picture.width * channels;
    const bool ok = png_image_write_to_file(&image, path.c_str(), 0, source, picture.bottomUp ? -stride : stride,
                                            nullptr) != 0;
    std::string error;
    if (!ok) error = image.message[0] ? image.message : "libpng could not write the file";
    png_image_free(&image);
    return error;
}

}  // namespace qelo
