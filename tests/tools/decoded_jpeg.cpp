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

bool findSof0(const std::vector<std::uint8_t>& file)
{
    // Walk the marker segments up to the first scan.
    std::size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF) {
        const int marker = file[at + 1];
        if (marker == 0xC0)
            return true;
        if (marker == 0xDA)
            return false;
        at += 2 + (static_cast<std::size_t>(file[at + 2]) << 8 | file[at + 3]);
    }
    return false;
}

}  // namespace

DecodedJpeg decodeJpeg(const std::vector<std::uint8_t>& file)
{
    DecodedJpeg out;
    out.hasSof0 = findSof0(file);
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
    out.components = info.num_components;
    out.precision = info.data_precision;
    out.progressive = info.progressive_mode;
    out.arithmetic = info.arith_code;
    for (int c = 0; c < info.num_components && c < 3; ++c) {
        out.sampling[c][0] = info.comp_info[c].h_samp_factor;
        out.sampling[c][1] = info.comp_info[c].v_samp_factor;
    }
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
