#pragma once
// Writers of the song's parts: each adds the notes of one part over a
// stretch of beats. Beats are counted from `span.start`, one every
// beatLength seconds; a part stops at `span.beats`.
#include <array>
#include <vector>

#include "sound/score.h"

namespace qelo::assetgen {

struct Chord {
    int root;                  // MIDI note of the bass root
    std::array<int, 3> tones;  // MIDI notes of the triad, mid register
};
using Progression = std::array<Chord, 4>;  // one chord every 8 beats, looping

struct Span {
    double start;  // seconds
    double beats;  // length in beats (may end between beats)
    const Progression* chords;

    double timeOf(double beat) const;
    const Chord& chordAt(double beat) const;
};

// Four on the floor.
void addKicks(Score& s, const Span& span, double fromBeat = 0, double toBeat = 1e9);
// Claps on the second and fourth beat of each bar.
void addClaps(Score& s, const Span& span, double fromBeat = 0, double velocity = 0.8);
// Hats: off-beat only (sixteenths false) or every sixteenth with accents.
void addHats(Score& s, const Span& span, bool sixteenths, double velocity, double fromBeat = 0);
// Off-beat eighths on the root, or a rolling sixteenth line.
void addBass(Score& s, const Span& span, bool rolling, double tone, double fromBeat = 0);
// Held triads; `toneFrom` to `toneTo` opens the filter across the span.
void addPads(Score& s, const Span& span, double velocity, double toneFrom, double toneTo);
// Arpeggios through the chord, one note every `step` beats, panned side to side.
void addArp(Score& s, const Span& span, double step, double velocity, double toneFrom, double toneTo,
            int octave = 12, double fromBeat = 0);
// The tree section's melody, a 32-beat phrase.
void addMelody(Score& s, const Span& span, double velocity, double fromBeat = 0);
// A riser ending exactly at `span.start + endBeat` beats, `beats` long.
void addRiser(Score& s, const Span& span, double endBeat, double beats, double velocity);
// A hit ringing for `length` + 0.6 seconds.
void addImpact(Score& s, double time, double velocity, double length = 2.0);
// A snare roll speeding up from eighths to sixteenths and growing louder.
void addSnareRoll(Score& s, const Span& span, double fromBeat, double toBeat);

}  // namespace qelo::assetgen
