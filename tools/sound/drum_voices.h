#pragma once
// Drums and effects made from noise and pitch sweeps. Each returns one
// stereo frame for time t (seconds since the note's start).
#include "common/prng.h"
#include "sound/dsp.h"
#include "sound/score.h"

namespace qelo::assetgen {

struct Frame {
    double left = 0, right = 0;
};

// Per-note state: oscillator phases, filters and a noise source seeded
// from the note, so every render of a note is the same.
struct DrumState {
    explicit DrumState(std::uint64_t seed) : noise(seed) {}
    Prng noise;
    Phase phase;
    Svf filterLeft, filterRight;
};

Frame kickFrame(const Note& n, double t, DrumState& s);
Frame clapFrame(const Note& n, double t, DrumState& s);
Frame snareFrame(const Note& n, double t, DrumState& s);
Frame hatFrame(const Note& n, double t, DrumState& s);
Frame riserFrame(const Note& n, double t, DrumState& s);
Frame impactFrame(const Note& n, double t, DrumState& s);

}  // namespace qelo::assetgen
