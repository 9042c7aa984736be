#pragma once
// The instruments: each renders one note and adds it into a stereo bus.
#include "sound/buffer.h"
#include "sound/score.h"

namespace qelo::assetgen {

// Adds the note into bus (samples past the bus's end are dropped).
void playNote(const Note& note, StereoBuffer& bus);

// Seconds a note of this instrument sounds after its start, release included.
double soundingLength(const Note& note);

}  // namespace qelo::assetgen
