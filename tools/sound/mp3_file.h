#pragma once
// The song as an MP3: 44.1 kHz joint stereo, constant 160 kbit/s, with a
// LAME info frame first so decoders know the exact length (encoder delay and
// padding) and play it gaplessly.
#include <cstdint>
#include <vector>

#include "sound/buffer.h"

namespace qelo::assetgen {

inline constexpr int mp3Kbps = 160;

std::vector<std::uint8_t> encodeMp3(const StereoBuffer& song);

}  // namespace qelo::assetgen
