#pragma once
// The song as a list of notes, each played by one instrument.
#include <vector>

namespace qelo::assetgen {

enum class Instrument { kick, clap, snare, hat, bass, pad, pluck, lead, riser, impact };
inline constexpr int instrumentCount = 10;

struct Note {
    Instrument instrument = Instrument::kick;
    double time = 0;      // seconds from the song's start
    double length = 0.1;  // seconds the note is held (drums ignore most of it)
    double pitch = 60;    // MIDI note number
    double velocity = 1;  // 0..1
    double pan = 0;       // -1 left .. 1 right
    double tone = 0.5;    // 0 dark .. 1 bright (filter opening, hat openness)
};

using Score = std::vector<Note>;

}  // namespace qelo::assetgen
