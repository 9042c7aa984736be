// Decoding speed of qelo's JPEG decoder against libjpeg-turbo (float inverse
// DCT, no fancy upsampling: the same work), on the same files in one run.
// Prints Mpixel/s for both and their ratio (qelo / libjpeg; above 1 means
// qelo is faster). The two decoders take turns, and each figure is the best
// of several rounds, timed in processor time of this process, so that load
// from elsewhere on the machine hurts both alike and as little as possible.
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/jpeg/decoder.h"
#include "libjpeg_codec.h"

namespace {

using namespace qelo::jpegtest;

// Takes the picture without keeping it, as a texture upload would.
class DiscardingTexture : public qelo::Texture {
public:
    DiscardingTexture() : Texture(0, 0) {}
    unsigned int bind() override { return 0; }
    std::uint8_t* readPixels() override { return nullptr; }
    void writePixels(const std::uint8_t* pixels, std::int32_t w, std::int32_t h) override
    {
        checksum += pixels[static_cast<std::size_t>(w) * h * 2];
    }
    unsigned checksum = 0;
};

struct Case {
    std::string name;
    Bytes jpeg;
    int pixels;
};

template <typename Decode>
double secondsPerDecode(Decode decode, int repeats)
{
    const std::clock_t start = std::clock();
    for (int i = 0; i < repeats; ++i) decode();
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC / repeats;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    EncodeOptions photo;
    photo.quality = 85;
    std::vector<Case> cases;
    // Photo-like pictures carry a little grain (+-4 levels); "grainy" ones
    // +-16 on every sample, which fills nearly every block with detail.
    const auto add = [&](const std::string& name, int w, int h, int channels, int grain, EncodeOptions options) {
        cases.push_back({name, encodeWithLibjpeg(photoLike(w, h, channels, static_cast<std::uint32_t>(w + h), grain), options), w * h});
    };
    add("4:2:0 2048x1536", 2048, 1536, 3, 4, photo);
    add("4:2:0 2048x1536 grainy", 2048, 1536, 3, 16, photo);
    add("4:2:0 512x512", 512, 512, 3, 4, photo);
    add("4:2:0 256x256", 256, 256, 3, 4, photo);
    add("4:2:0 256x256 grainy", 256, 256, 3, 16, photo);
    add("4:2:0 64x64", 64, 64, 3, 4, photo);
    add("grey 256x256", 256, 256, 1, 4, photo);
    EncodeOptions full = photo;
    full.lumaH = full.lumaV = 1;
    add("4:4:4 640x480", 640, 480, 3, 4, full);

    std::printf("%-26s %10s %14s %14s %7s\n", "picture", "bytes", "qelo Mpix/s", "libjpeg Mpix/s", "ratio");
    for (const Case& c : cases) {
        // qelo allocates its picture on every decode; libjpeg is given the
        // same output buffer again each time, which can only favour it.
        DiscardingTexture texture;
        Rgba reference;
        const auto qelo = [&] {
            if (!qelo::decode(texture, c.jpeg.data(), static_cast<std::int32_t>(c.jpeg.size()))) std::abort();
        };
        const auto libjpeg = [&] {
            if (!decodeWithLibjpeg(c.jpeg, reference)) std::abort();
        };
        // About 30 ms of work per measurement.
        const int repeats = std::max(1, static_cast<int>(0.03 / std::max(1e-6, secondsPerDecode(qelo, 3))));
        double bestQelo = 1e9, bestLibjpeg = 1e9;
        for (int round = 0; round < rounds; ++round) {
            bestQelo = std::min(bestQelo, secondsPerDecode(qelo, repeats));
            bestLibjpeg = std::min(bestLibjpeg, secondsPerDecode(libjpeg, repeats));
        }
        const double qeloRate = c.pixels / bestQelo / 1e6;
        const double libjpegRate = c.pixels / bestLibjpeg / 1e6;
        std::printf("%-26s %10zu %14.1f %14.1f %7.2f\n", c.name.c_str(), c.jpeg.size(), qeloRate, libjpegRate, qeloRate / libjpegRate);
    }
    return 0;
}
