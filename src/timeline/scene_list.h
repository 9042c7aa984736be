#pragma once
// The show's schedule: entries run in append order, once per frame.
#include <cstdint>
#include <memory>

#include "timeline/scene_entry.h"

namespace qelo {

struct Clock;

struct SceneList {
    SceneList(const Clock* clock, std::int32_t capacity);

    // Stores a copy of entry. A full list refuses the entry, says so on stderr
    // and counts it in `refused`; it never writes past its slots.
    SceneList& append(const SceneEntry& entry);

    // Runs every entry in order; `count` is re-read on each pass.
    void runAll();

    const Clock* clock;  // show time; not owned
    std::int32_t capacity;
    std::unique_ptr<std::unique_ptr<SceneEntry>[]> items;
    std::int32_t count = 0;
    std::int32_t refused = 0;
};

}  // namespace qelo
