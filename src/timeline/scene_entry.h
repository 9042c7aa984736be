#pragma once
// One line of the show's schedule: a scene routine and the window of show
// time, [start, end), in which it draws.
#include <cstdint>
#include <memory>

namespace qelo {

struct SceneList;

// localTime: seconds since the window opened; progress: localTime over the
// window's length (can pass 1.0 by a clock tick on the last frame);
// firstFrame: first frame of this activation; mode: the entry's mode.
using SceneRoutine = void (*)(float localTime, float progress, bool firstFrame, std::int32_t mode);

class SceneEntry {
public:
    SceneEntry(SceneRoutine routine, float start, float end, std::int32_t mode);
    virtual ~SceneEntry() = default;

    // Whether the list's show time lies in [start, end); clears wasActive when not.
    virtual bool isActive(const SceneList& list);

    // Calls the routine when active, with a second clock reading taken after the test.
    virtual void run(const SceneList& list);

    // A copy of the same dynamic type; the list stores these.
    virtual std::unique_ptr<SceneEntry> clone() const;

    bool wasActive = false;
    SceneRoutine routine;
    std::int32_t mode;
    float start;
    float end;
};

}  // namespace qelo
