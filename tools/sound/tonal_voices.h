#pragma once
// Pitched instruments: bass, pad, pluck and lead.
#include "sound/drum_voices.h"

namespace qelo::assetgen {

struct TonalState {
    Phase phases[6];
    Svf filterLeft, filterRight;
};

Frame bassFrame(const Note& n, double t, TonalState& s);
Frame padFrame(const Note& n, double t, TonalState& s);
Frame pluckFrame(const Note& n, double t, TonalState& s);
Frame leadFrame(const Note& n, double t, TonalState& s);

}  // namespace qelo::assetgen
