#pragma once
// Oscillators and the filter the voices are made of. Phases run 0..1; the
// band-limited steps (polyBLEP) keep saws and pulses free of aliasing whine.
#include <cmath>

#include "sound/buffer.h"

namespace qelo::assetgen {

inline constexpr double twoPi = 6.283185307179586;

inline double midiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// Correction for a unit step at phase 0 of an oscillator advancing dt a sample.
inline double polyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

struct Phase {
    double value = 0;
    // Returns the phase before advancing by hz / sampleRate.
    double advance(double hz)
    {
        const double now = value;
        value += hz / sampleRate;
        value -= std::floor(value);
        return now;
    }
};

inline double sawWave(double phase, double dt) { return 2.0 * phase - 1.0 - polyBlep(phase, dt); }

inline double pulseWave(double phase, double dt, double width = 0.5)
{
    double shifted = phase + (1.0 - width);
    shifted -= std::floor(shifted);
    return (phase < width ? 1.0 : -1.0) + polyBlep(phase, dt) - polyBlep(shifted, dt);
}

// State-variable filter (trapezoidal, stable under fast cutoff sweeps).
class Svf {
public:
    struct Out {
        double low, band, high;
    };

    // cutoff in Hz (clamped below Nyquist), resonance 0..~0.95.
    Out process(double in, double cutoff, double resonance)
    {
        cutoff = std::fmin(std::fmax(cutoff, 10.0), sampleRate * 0.45);
        const double g = std::tan(3.141592653589793 * cutoff / sampleRate);
        const double k = 2.0 - 2.0 * resonance;
        const double a1 = 1.0 / (1.0 + g * (g + k)), a2 = g * a1, a3 = g * a2;
        const double v3 = in - ic2_;
        const double v1 = a1 * ic1_ + a2 * v3;
        const double v2 = ic2_ + a2 * ic1_ + a3 * v3;
        ic1_ = 2.0 * v1 - ic1_;
        ic2_ = 2.0 * v2 - ic2_;
        return {v2, v1, in - k * v1 - v2};
    }

private:
    double ic1_ = 0, ic2_ = 0;
};

// Linear attack to 1, held while the note is down, then a linear release
// after `length`; 0 from length + release on.
inline double gateEnvelope(double t, double length, double attack, double release)
{
    if (t < 0)
        return 0;
    double v = attack > 0 ? std::fmin(1.0, t / attack) : 1.0;
    if (t > length)
        v *= std::fmax(0.0, 1.0 - (t - length) / release);
    return v;
}

// Equal-power gains for pan -1 (left) .. 1 (right).
struct PanGains {
    double left, right;
};
inline PanGains panGains(double pan)
{
    const double a = (pan + 1.0) * 0.25 * 3.141592653589793;
    return {std::cos(a), std::sin(a)};
}

}  // namespace qelo::assetgen
