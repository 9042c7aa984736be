#include "sound/drum_voices.h"

#include <cmath>

namespace qelo::assetgen {

Frame kickFrame(const Note& n, double t, DrumState& s)
{
    // A sine whose pitch drops from ~170 Hz to 48 Hz, with a click on top.
    const double hz = 48.0 + 122.0 * std::exp(-t * 30.0);
    const double body = std::sin(twoPi * s.phase.advance(hz)) * std::exp(-t * 8.0);
    const double click = s.noise.bipolar() * std::exp(-t * 320.0) * 0.3;
    const double v = std::tanh(1.6 * (body + click)) * n.velocity;
    return {v, v};
}

Frame clapFrame(const Note& n, double t, DrumState& s)
{
    // Three quick bursts and a tail of band-passed noise.
    double env = 0.55 * std::exp(-t * 13.0);
    for (int k = 0; k < 3; ++k) {
        const double at = t - 0.011 * k;
        if (at >= 0)
            env += std::exp(-at * 220.0);
    }
    const double left = s.filterLeft.process(s.noise.bipolar(), 1400.0, 0.45).band;
    const double right = s.filterRight.process(s.noise.bipolar(), 1600.0, 0.45).band;
    const double v = env * n.velocity * 1.6;
    return {left * v, right * v};
}

Frame snareFrame(const Note& n, double t, DrumState& s)
{
    const double tone = std::sin(twoPi * s.phase.advance(190.0 - 30.0 * t)) * std::exp(-t * 28.0) * 0.5;
    const double noise = s.filterLeft.process(s.noise.bipolar(), 4200.0, 0.2).band * std::exp(-t * 20.0) * 1.4;
    const double v = (tone + noise) * n.velocity;
    return {v, v};
}

Frame hatFrame(const Note& n, double t, DrumState& s)
{
    // High-passed noise; `tone` opens the hat (longer decay).
    const double decay = 75.0 - 60.0 * n.tone;
    const double left = s.filterLeft.process(s.noise.bipolar(), 7800.0, 0.3).high;
    const double right = s.filterRight.process(s.noise.bipolar(), 8200.0, 0.3).high;
    const double v = std::exp(-t * decay) * n.velocity;
    const PanGains p = panGains(n.pan);
    return {left * v * p.left * 1.4, right * v * p.right * 1.4};
}

Frame riserFrame(const Note& n, double t, DrumState& s)
{
    // Noise through a band-pass that sweeps from 250 Hz to 9 kHz, growing
    // louder, with a saw gliding up two octaves underneath.
    const double x = std::fmin(t / n.length, 1.0);
    const double cutoff = 250.0 * std::pow(36.0, x);
    const double left = s.filterLeft.process(s.noise.bipolar(), cutoff, 0.6).band;
    const double right = s.filterRight.process(s.noise.bipolar(), cutoff * 1.05, 0.6).band;
    const double hz = midiToHz(n.pitch + 24.0 * x);
    const double saw = sawWave(s.phase.advance(hz), hz / sampleRate) * 0.18;
    const double env = x * x * n.velocity * (t > n.length ? std::exp(-(t - n.length) * 40.0) : 1.0);
    return {(left + saw) * env, (right + saw) * env};
}

Frame impactFrame(const Note& n, double t, DrumState& s)
{
    // A falling sub boom and a dark crash of noise.
    const double hz = 32.0 + 40.0 * std::exp(-t * 5.0);
    const double boom = std::sin(twoPi * s.phase.advance(hz)) * std::exp(-t * 2.2);
    const double cutoff = 200.0 + 7000.0 * std::exp(-t * 3.5);
    const double left = s.filterLeft.process(s.noise.bipolar(), cutoff, 0.1).low * std::exp(-t * 2.6);
    const double right = s.filterRight.process(s.noise.bipolar(), cutoff, 0.1).low * std::exp(-t * 2.6);
    const double v = n.velocity;
    return {(boom + left * 0.8) * v, (boom + right * 0.8) * v};
}

}  // namespace qelo::assetgen
