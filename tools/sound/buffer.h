#pragma once
// Sample buffers. Floats, full scale +-1, 44.1 kHz.
#include <cstddef>
#include <vector>

namespace qelo::assetgen {

inline constexpr int sampleRate = 44100;
inline constexpr double songLength = 120.0;  // seconds; the show's length

struct StereoBuffer {
    std::vector<float> left, right;

    explicit StereoBuffer(std::size_t frames = 0) : left(frames), right(frames) {}
    std::size_t frames() const { return left.size(); }
};

inline std::size_t framesFor(double seconds) { return static_cast<std::size_t>(seconds * sampleRate + 0.5); }

}  // namespace qelo::assetgen
