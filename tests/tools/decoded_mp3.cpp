#include "decoded_mp3.h"

#include <mpg123.h>

namespace qelo::assetgen::reference {

DecodedMp3 decodeMp3(const std::filesystem::path& path)
{
    DecodedMp3 out;
    int err = MPG123_OK;
    mpg123_handle* h = mpg123_new(nullptr, &err);
    if (h == nullptr) {
        out.error = "mpg123_new failed";
        return out;
    }
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(h);
    mpg123_format(h, sampleRate, MPG123_STEREO, MPG123_ENC_FLOAT_32);
    if (mpg123_open(h, path.c_str()) != MPG123_OK) {
        out.error = std::string("cannot open: ") + mpg123_strerror(h);
        mpg123_delete(h);
        return out;
    }
    int encoding = 0;
    mpg123_getformat(h, &out.rate, &out.channels, &encoding);
    float block[4096];
    for (;;) {
        size_t bytes = 0;
        err = mpg123_read(h, reinterpret_cast<unsigned char*>(block), sizeof block, &bytes);
        for (size_t i = 0; i + 1 < bytes / sizeof(float); i += 2) {
            out.audio.left.push_back(block[i]);
            out.audio.right.push_back(block[i + 1]);
        }
        if (err == MPG123_DONE)
            break;
        if (err == MPG123_NEW_FORMAT)
            continue;
        if (err != MPG123_OK) {
            out.error = std::string("decoding failed: ") + mpg123_strerror(h);
            break;
        }
    }
    mpg123_close(h);
    mpg123_delete(h);
    return out;
}

}  // namespace qelo::assetgen::reference
