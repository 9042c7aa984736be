#pragma once
// The song's sections, lined up with the show's scenes, and the score they
// produce. 132 beats a minute: every 5 seconds is exactly 11 beats, so the
// scene changes at 15, 25, 50, 55 and 100 s fall on beats.
#include "sound/score.h"

namespace qelo::assetgen {

inline constexpr double tempo = 132.0;
inline constexpr double beatLength = 60.0 / tempo;

struct Section {
    const char* name;
    double start;  // seconds
    double end;
};

// intro, lift, swarm, break, tree, wall, swarm again, in time order;
// together they cover 0 to 120 s without gaps.
const std::vector<Section>& sections();

Score arrangeSong();

}  // namespace qelo::assetgen
