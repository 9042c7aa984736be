#include "sound/master.h"

#include <algorithm>
#include <cmath>

namespace qelo::assetgen {

std::vector<float> kickDucking(const Score& score, std::size_t frames)
{
    std::vector<float> gain(frames, 1.0f);
    for (const Note& n : score) {
        if (n.instrument != Instrument::kick)
            continue;
        const std::size_t first = framesFor(n.time);
        const std::size_t last = std::min(frames, first + framesFor(0.45));
        for (std::size_t i = first; i < last; ++i) {
            const double t = static_cast<double>(i - first) / sampleRate;
            const double duck = 1.0 - 0.45 * std::exp(-t * 9.0) * std::min(1.0, t / 0.004 + 0.3);
            gain[i] = std::min(gain[i], static_cast<float>(duck));
        }
    }
    return gain;
}

void addEcho(StereoBuffer& bus, double delay, double feedback, double wet)
{
    const std::size_t d = framesFor(delay);
    std::vector<float> tapLeft(bus.frames()), tapRight(bus.frames());
    for (std::size_t i = d; i < bus.frames(); ++i) {
        // Left echoes into right and back.
        tapRight[i] = static_cast<float>(bus.left[i - d] * 1.0 + tapLeft[i - d] * feedback);
        tapLeft[i] = static_cast<float>(bus.right[i - d] * 0.6 + tapRight[i - d] * feedback);
    }
    for (std::size_t i = 0; i < bus.frames(); ++i) {
        bus.left[i] += static_cast<float>(tapLeft[i] * wet);
        bus.right[i] += static_cast<float>(tapRight[i] * wet);
    }
}

namespace {

double softLimit(double x, double knee, double ceiling)
{
    const double a = std::abs(x);
    if (a <= knee)
        return x;
    const double room = ceiling - knee;
    return std::copysign(knee + room * std::tanh((a - knee) / room), x);
}

}  // namespace

void master(StereoBuffer& mix, double ceiling, double fade)
{
    float peak = 0;
    for (std::size_t i = 0; i < mix.frames(); ++i)
        peak = std::max({peak, std::abs(mix.left[i]), std::abs(mix.right[i])});
    if (peak <= 0)
        return;
    // Drive the loudest transients 3 dB past the ceiling; the limiter's
    // knee rounds them off, everything below the knee stays untouched.
    const double gain = ceiling * 1.413 / peak;
    const double knee = ceiling * 0.7;
    const std::size_t fadeFrom = mix.frames() - std::min(mix.frames(), framesFor(fade));
    for (std::size_t i = 0; i < mix.frames(); ++i) {
        double g = gain;
        if (i >= fadeFrom && fade > 0) {
            const double x = static_cast<double>(i - fadeFrom) / static_cast<double>(mix.frames() - fadeFrom);
            g *= 0.5 + 0.5 * std::cos(x * 3.141592653589793);
        }
        mix.left[i] = static_cast<float>(softLimit(mix.left[i] * g, knee, ceiling));
        mix.right[i] = static_cast<float>(softLimit(mix.right[i] * g, knee, ceiling));
    }
}

}  // namespace qelo::assetgen
