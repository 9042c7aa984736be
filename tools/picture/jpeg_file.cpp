#include "picture/jpeg_file.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <jpeglib.h>

namespace qelo::assetgen {

namespace {

// libjpeg reports fatal errors through a callback that must not return;
// turn them into an exception (its memory is freed by jpeg_destroy below).
[[noreturn]] void throwJpegError(j_common_ptr cinfo)
{
    char message[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, message);
    throw std::runtime_error(std::string("JPEG encoding failed: ") + message);
}

// Releases libjpeg's state and its output block on every way out.
struct CompressGuard {
    jpeg_compress_struct* info;
    unsigned char** buffer;
    ~CompressGuard()
    {
        jpeg_destroy_compress(info);
        std::free(*buffer);
    }
};

}  // namespace

std::vector<std::uint8_t> encodeJpeg(const Canvas& canvas, int quality)
{
    const std::vector<std::uint8_t> rgb = toRgb8(canvas);

    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    errors.error_exit = throwJpegError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_create_compress(&info);
    CompressGuard guard{&info, &buffer};

    jpeg_mem_dest(&info, &buffer, &size);

    info.image_width = static_cast<JDIMENSION>(canvas.width);
    info.image_height = static_cast<JDIMENSION>(canvas.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Pin everything the decoder depends on rather than trusting defaults.
    jpeg_set_colorspace(&info, JCS_YCbCr);
    info.comp_info[0].h_samp_factor = 2;
    info.comp_info[0].v_samp_factor = 2;
    for (int c = 1; c < 3; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    info.optimize_coding = FALSE;  // the standard Huffman tables
    info.arith_code = FALSE;
    info.dct_method = JDCT_ISLOW;
    info.restart_interval = 0;

    jpeg_start_compress(&info, TRUE);
    const auto stride = static_cast<std::size_t>(canvas.width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);

    return std::vector<std::uint8_t>(buffer, buffer + size);
}

}  // namespace qelo::assetgen
