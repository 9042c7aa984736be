#pragma once
// libjpeg-turbo as the independent codec: it encodes the test pictures and
// decodes them the way qelo's decoder works (float inverse DCT, no fancy
// upsampling), for the conformance tests, the checks of the shipped pictures
// and the benchmark.
#include <cstdint>
#include <utility>
#include <vector>

namespace qelo::jpegtest {

using Bytes = std::vector<std::uint8_t>;

// Samples, rows packed: 1 channel (grey) or 3 (RGB).
struct Image {
    int width = 0;
    int height = 0;
    int channels = 3;
    std::vector<std::uint8_t> samples;
};

struct EncodeOptions {
    int quality = 85;
    bool forceBaseline = true;  // false lets quantisation values exceed 255
    int lumaH = 2;              // sampling factors of component 0; the others are 1 x 1
    int lumaV = 2;
    int restartInterval = 0;    // MCUs
    std::vector<std::pair<int, Bytes>> markers;  // APPn / COM written after the JFIF header
};

// A photo-like picture: smooth gradients and waves, hard edges, and grain:
// independent noise of up to +-`grain` levels on every sample.
Image photoLike(int width, int height, int channels, std::uint32_t seed, int grain = 16);

Bytes encodeWithLibjpeg(const Image& image, const EncodeOptions& options);

struct Rgba {
    int width = 0;
    int height = 0;
    int components = 0;  // of the stream: 1 grey, 3 colour
    std::vector<std::uint8_t> pixels;
};

// Returns false when libjpeg refuses the stream; pixels are RGBA, opaque.
bool decodeWithLibjpeg(const Bytes& jpeg, Rgba& out);
bool decodeWithLibjpeg(const std::uint8_t* jpeg, std::size_t size, Rgba& out);

}  // namespace qelo::jpegtest
