#include "decoded_jpeg.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace qelo::assetgen::reference {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info)
{
    auto* e = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, e->message);
    std::longjmp(e->jump, 1);
}

}  // namespace

DecodedJpeg decodeJpeg(const std::vector<std::uint8_t>& file)
{
    DecodedJpeg out;
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    if (setjmp(errors.jump)) {
        out.error = errors.message;
        jpeg_destroy_decompress(&info);
        return out;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    out.width = static_cast<int>(info.image_width);
    out.height = static_cast<int>(info.image_height);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.rgb.data() + static_cast<std::size_t>(info.output_scanline) * out.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return out;
}

}  // namespace qelo::assetgen::reference
