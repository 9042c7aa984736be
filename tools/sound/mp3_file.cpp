#include "sound/mp3_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include <lame/lame.h>

namespace qelo::assetgen {

namespace {

struct LameDeleter {
    void operator()(lame_global_flags* f) const { lame_close(f); }
};

void check(int result, const char* what)
{
    if (result < 0)
        throw std::runtime_error(std::string("MP3 encoding failed: ") + what + " (" + std::to_string(result) + ")");
}

}  // namespace

std::vector<std::uint8_t> encodeMp3(const StereoBuffer& song)
{
    std::unique_ptr<lame_global_flags, LameDeleter> lame(lame_init());
    if (!lame)
        throw std::runtime_error("MP3 encoding failed: lame_init");
    lame_set_in_samplerate(lame.get(), sampleRate);
    lame_set_out_samplerate(lame.get(), sampleRate);
    lame_set_num_channels(lame.get(), 2);
    lame_set_mode(lame.get(), JOINT_STEREO);
    lame_set_VBR(lame.get(), vbr_off);
    lame_set_brate(lame.get(), mp3Kbps);
    lame_set_quality(lame.get(), 2);
    lame_set_bWriteVbrTag(lame.get(), 1);
    check(lame_init_params(lame.get()), "parameters");

    std::vector<std::uint8_t> out;
    constexpr int chunk = 8192;
    std::vector<unsigned char> block(static_cast<std::size_t>(1.25 * chunk + 7200));
    for (std::size_t at = 0; at < song.frames(); at += chunk) {
        const int n = static_cast<int>(std::min<std::size_t>(chunk, song.frames() - at));
        const int bytes = lame_encode_buffer_ieee_float(lame.get(), song.left.data() + at, song.right.data() + at, n,
                                                        block.data(), static_cast<int>(block.size()));
        check(bytes, "samples");
        out.insert(out.end(), block.begin(), block.begin() + bytes);
    }
    const int tail = lame_encode_flush(lame.get(), block.data(), static_cast<int>(block.size()));
    check(tail, "flush");
    out.insert(out.end(), block.begin(), block.begin() + tail);

    // The first frame was reserved for the info tag; fill it in now that
    // the length is known.
    unsigned char tag[2880];
    const std::size_t tagSize = lame_get_lametag_frame(lame.get(), tag, sizeof tag);
    if (tagSize == 0 || tagSize > sizeof tag || tagSize > out.size())
        throw std::runtime_error("MP3 encoding failed: info tag");
    std::memcpy(out.data(), tag, tagSize);
    return out;
}

}  // namespace qelo::assetgen
