#include "libjpeg_codec.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace qelo::jpegtest {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

void escapeOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

void ignoreMessage(j_common_ptr, int) {}

}  // namespace

Image photoLike(int width, int height, int channels, std::uint32_t seed, int grain)
{
    Image image{width, height, channels, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * channels)};
    std::uint32_t state = seed * 2654435761u + 1;
    const auto noise = [&state, grain] {
        state = state * 1664525u + 1013904223u;
        return (static_cast<int>(state >> 27) - 16) * grain / 16;  // -grain..grain
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / std::max(1, width - 1);
            const double w = static_cast<double>(y) / std::max(1, height - 1);
            const bool inside = (x - width / 3) * (x - width / 3) + (y - height / 2) * (y - height / 2) < (width * width) / 16;
            for (int c = 0; c < channels; ++c) {
                double value = 60 + 120 * u * (c == 0 ? 1 : 0.5) + 70 * w * (c == 2 ? 1 : 0.3) +
                               25 * std::sin(0.11 * x + 0.07 * y + c) * std::cos(0.05 * y - 0.3 * c);
                if (inside) value = 255 - value * 0.6;
                if ((x / 37 + y / 29) % 5 == 0) value = c == 1 ? 20 : 235;
                value += noise();
                image.samples[(static_cast<std::size_t>(y) * width + x) * channels + c] =
                    static_cast<std::uint8_t>(std::clamp(static_cast<int>(value), 0, 255));
            }
        }
    }
    return image;
}

Bytes encodeWithLibjpeg(const Image& image, const EncodeOptions& options)
{
    jpeg_compress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = escapeOnError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(errors.escape)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        std::fprintf(stderr, "libjpeg could not encode the test picture\n");
        std::abort();
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = image.channels;
    info.in_color_space = image.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, options.forceBaseline ? TRUE : FALSE);
    if (image.channels == 3) {
        info.comp_info[0].h_samp_factor = options.lumaH;
        info.comp_info[0].v_samp_factor = options.lumaV;
    }
    info.restart_interval = static_cast<unsigned int>(options.restartInterval);
    jpeg_start_compress(&info, TRUE);
    for (const auto& [marker, payload] : options.markers)
        jpeg_write_marker(&info, marker, payload.data(), static_cast<unsigned int>(payload.size()));
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPLE*>(image.samples.data() + static_cast<std::size_t>(info.next_scanline) * image.width * image.channels);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

bool decodeWithLibjpeg(const Bytes& jpeg, Rgba& out) { return decodeWithLibjpeg(jpeg.data(), jpeg.size(), out); }

bool decodeWithLibjpeg(const std::uint8_t* jpeg, std::size_t size, Rgba& out)
{
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = escapeOnError;
    errors.base.emit_message = ignoreMessage;
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    const bool grey = info.num_components == 1;
    info.out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_RGBA;
    info.dct_method = JDCT_FLOAT;
    info.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.components = info.num_components;
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height * 4);
    while (info.output_scanline < info.output_height) {
        std::uint8_t* row = out.pixels.data() + static_cast<std::size_t>(info.output_scanline) * out.width * 4;
        jpeg_read_scanlines(&info, &row, 1);
        // Expand in place from the back: (g) -> (g, g, g, 255).
        if (grey) {
            for (int x = out.width - 1; x >= 0; --x) {
                const std::uint8_t g = row[x];
                row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = g;
                row[4 * x + 3] = 255;
            }
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace qelo::jpegtest
