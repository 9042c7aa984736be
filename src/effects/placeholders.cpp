// Empty stand-ins for the scene routines not written yet, so the schedule
// and the whole show link and run. Each routine's own file replaces its line
// here; this file goes when the last one lands.
#include "effects/effects.h"

namespace qelo {

void tileWallEffect(float, float, bool, std::int32_t) {}
void dotGridEffect(float, float, bool, std::int32_t) {}
void ringStackEffect(float, float, bool, std::int32_t) {}
void ripplePlanesEffect(float, float, bool, std::int32_t) {}
void squareSwarmEffect(float, float, bool, std::int32_t) {}
void treeSceneEffect(float, float, bool, std::int32_t) {}

}  // namespace qelo
