#include "sound/song.h"

#include <algorithm>
#include <cmath>

#include "sound/arrangement.h"
#include "sound/master.h"
#include "sound/voices.h"

namespace qelo::assetgen {

namespace {

// The level of each instrument in the mix, and which bus it plays into.
enum class Bus { drums, ducked, echoed };

struct Channel {
    double gain;
    Bus bus;
};

Channel channelOf(Instrument i)
{
    switch (i) {
    case Instrument::kick: return {0.8, Bus::drums};
    case Instrument::clap: return {0.5, Bus::drums};
    case Instrument::snare: return {0.4, Bus::drums};
    case Instrument::hat: return {0.8, Bus::drums};
    case Instrument::riser: return {0.3, Bus::drums};
    case Instrument::impact: return {0.4, Bus::drums};
    case Instrument::bass: return {0.32, Bus::ducked};
    case Instrument::pad: return {0.35, Bus::ducked};
    case Instrument::pluck: return {0.4, Bus::echoed};
    case Instrument::lead: return {0.45, Bus::echoed};
    }
    return {0, Bus::drums};
}

constexpr double ceiling = 0.8;      // -1.9 dBFS: room for the MP3 encoder's overshoot
constexpr double endingFade = 1.2;   // seconds

}  // namespace

StereoBuffer renderSong(double seconds)
{
    const std::size_t frames = framesFor(std::min(seconds, songLength));
    const Score score = arrangeSong();
    StereoBuffer drums(frames), ducked(frames), echoed(frames);
    for (Note n : score) {
        if (n.time >= seconds)
            continue;
        const Channel ch = channelOf(n.instrument);
        n.velocity *= ch.gain;
        playNote(n, ch.bus == Bus::drums ? drums : ch.bus == Bus::ducked ? ducked : echoed);
    }
    addEcho(echoed, beatLength * 0.75, 0.38, 0.45);
    const std::vector<float> duck = kickDucking(score, frames);

    StereoBuffer mix(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        mix.left[i] = drums.left[i] + ducked.left[i] * duck[i] + echoed.left[i] * (0.5f + 0.5f * duck[i]);
        mix.right[i] = drums.right[i] + ducked.right[i] * duck[i] + echoed.right[i] * (0.5f + 0.5f * duck[i]);
    }
    master(mix, ceiling, seconds >= songLength ? endingFade : 0.0);
    return mix;
}

SongLevels measure(const StereoBuffer& buffer, std::size_t first, std::size_t last)
{
    last = std::min(last, buffer.frames());
    double peak = 0, sum = 0;
    for (std::size_t i = first; i < last; ++i) {
        peak = std::max({peak, std::abs(double(buffer.left[i])), std::abs(double(buffer.right[i]))});
        sum += double(buffer.left[i]) * buffer.left[i] + double(buffer.right[i]) * buffer.right[i];
    }
    const double count = last > first ? 2.0 * static_cast<double>(last - first) : 1.0;
    const auto db = [](double v) { return v > 0 ? 20.0 * std::log10(v) : -200.0; };
    return {db(peak), db(std::sqrt(sum / count))};
}

}  // namespace qelo::assetgen
