#include "sound/tonal_voices.h"

#include <cmath>

namespace qelo::assetgen {

Frame bassFrame(const Note& n, double t, TonalState& s)
{
    // Saw plus a sine an octave down through a low-pass with a quick pluck.
    const double hz = midiToHz(n.pitch);
    const double saw = sawWave(s.phases[0].advance(hz), hz / sampleRate);
    const double sub = std::sin(twoPi * s.phases[1].advance(hz * 0.5));
    const double cutoff = 90.0 + hz * 1.5 + 2400.0 * n.tone * std::exp(-t * 14.0);
    const double v = s.filterLeft.process(saw * 0.7, cutoff, 0.55).low + sub * 0.55;
    const double out = v * gateEnvelope(t, n.length, 0.004, 0.04) * n.velocity;
    return {out, out};
}

Frame padFrame(const Note& n, double t, TonalState& s)
{
    // Three detuned saws a side, softly filtered, slow in and out.
    static constexpr double detuneLeft[3] = {1.0, 1.0061, 0.9952};
    static constexpr double detuneRight[3] = {1.0, 0.9937, 1.0046};
    const double hz = midiToHz(n.pitch);
    double left = 0, right = 0;
    for (int i = 0; i < 3; ++i) {
        left += sawWave(s.phases[i].advance(hz * detuneLeft[i]), hz / sampleRate);
        right += sawWave(s.phases[i + 3].advance(hz * detuneRight[i]), hz / sampleRate);
    }
    const double cutoff = 250.0 + 3800.0 * n.tone * n.tone + 300.0 * std::sin(t * 0.9);
    left = s.filterLeft.process(left, cutoff, 0.25).low;
    right = s.filterRight.process(right, cutoff, 0.25).low;
    const double env = gateEnvelope(t, n.length, std::fmin(0.7, n.length * 0.4), 0.9) * n.velocity / 3.0;
    return {left * env, right * env};
}

Frame pluckFrame(const Note& n, double t, TonalState& s)
{
    const double hz = midiToHz(n.pitch);
    const double osc = pulseWave(s.phases[0].advance(hz), hz / sampleRate, 0.3) * 0.6 +
                       sawWave(s.phases[1].advance(hz * 1.003), hz / sampleRate) * 0.4;
    const double cutoff = 300.0 + 6000.0 * n.tone * std::exp(-t * 10.0);
    const double v = s.filterLeft.process(osc, cutoff, 0.5).low * std::exp(-t * 6.0) *
                     gateEnvelope(t, n.length, 0.002, 0.08) * n.velocity;
    const PanGains p = panGains(n.pan);
    return {v * p.left, v * p.right};
}

Frame leadFrame(const Note& n, double t, TonalState& s)
{
    // A soft bell: a sine phase-modulated at twice its pitch, the
    // modulation fading, and a gentle vibrato once the note has settled.
    const double vibrato = 0.25 * std::fmin(1.0, std::fmax(0.0, t - 0.2) * 3.0) * std::sin(twoPi * 5.5 * t);
    const double hz = midiToHz(n.pitch + vibrato);
    const double mod = std::sin(twoPi * s.phases[1].advance(hz * 2.0)) * (0.4 + 1.6 * std::exp(-t * 4.0));
    const double carrier = std::sin(twoPi * s.phases[0].advance(hz) + mod);
    const double v = carrier * gateEnvelope(t, n.length, 0.015, 0.35) * n.velocity;
    const PanGains p = panGains(n.pan);
    return {v * p.left, v * p.right};
}

}  // namespace qelo::assetgen
