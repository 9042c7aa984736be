#pragma once
// The whole song: the score played into buses, mixed and mastered.
#include <cstdint>

#include "sound/buffer.h"

namespace qelo::assetgen {

// The first `seconds` of the song (notes starting later are not played), so
// tests can render a short stretch. The full song ends in silence at 120 s.
StereoBuffer renderSong(double seconds);

struct SongLevels {
    double peakDb;  // highest absolute sample, dB below full scale
    double rmsDb;   // over both channels
};
SongLevels measure(const StereoBuffer& buffer, std::size_t first = 0, std::size_t last = SIZE_MAX);

}  // namespace qelo::assetgen
