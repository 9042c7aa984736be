#include "timeline/scene_entry.h"

#include <cmath>

#include "shell/clock.h"
#include "timeline/scene_list.h"

namespace qelo {

SceneEntry::SceneEntry(SceneRoutine routine, float start, float end, std::int32_t mode)
    : routine(routine), mode(mode), start(start), end(end)
{
}

bool SceneEntry::isActive(const SceneList& list)
{
    const double t = list.clock->elapsed();
    if (std::isnan(t) || t < start || t >= end) {
        wasActive = false;
        return false;
    }
    return true;
}

void SceneEntry::run(const SceneList& list)
{
    if (!isActive(list)) {
        wasActive = false;
        return;
    }
    const double t = list.clock->elapsed();
    const bool firstFrame = !wasActive;
    wasActive = true;
    const float localTime = static_cast<float>(t - start);
    const double length = static_cast<double>(end) - static_cast<double>(start);
    const float progress = static_cast<float>(localTime / length);
    if (routine) routine(localTime, progress, firstFrame, mode);
}

std::unique_ptr<SceneEntry> SceneEntry::clone() const { return std::make_unique<SceneEntry>(*this); }

}  // namespace qelo
