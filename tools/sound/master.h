#pragma once
// Mixing stages after the instruments.
#include <vector>

#include "sound/buffer.h"
#include "sound/score.h"

namespace qelo::assetgen {

// The gain curve that ducks pads and bass under each kick (0.45 deep,
// back within about a beat): the "pumping" of the groove.
std::vector<float> kickDucking(const Score& score, std::size_t frames);

// A ping-pong echo: `delay` seconds, each repeat `feedback` as loud and
// swapped to the other side.
void addEcho(StereoBuffer& bus, double delay, double feedback, double wet);

// Scales the mix so its loudest moment nears full scale, then rounds peaks
// off smoothly under `ceiling` (linear, < 1) and fades the last `fade`
// seconds to silence.
void master(StereoBuffer& mix, double ceiling, double fade);

}  // namespace qelo::assetgen
