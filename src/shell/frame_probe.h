#pragma once
// Where a frame's time goes, for the benchmark. The frame step and the scene
// list report the edges of their phases to the installed probe; with none
// installed (every normal run) a report is one test of a null pointer.
#include <cstdint>

namespace qelo {

enum class FrameMark {
    FrameStart,   // top of the frame step, before the targets are cleared
    Cleared,      // the targets are cleared, the window's context current
    EntryStart,   // schedule entry `entry` is about to be evaluated
    EntryEnd,     // schedule entry `entry` is done (drew or not)
    Compositing,  // the scenes are done; compositing starts
    Composited,   // every target is composited over the window
};

class FrameProbe {
public:
    virtual ~FrameProbe() = default;
    virtual void mark(FrameMark what, std::int32_t entry) = 0;
};

// Null except while the benchmark runs.
inline FrameProbe* frameProbe = nullptr;

inline void markFrame(FrameMark what, std::int32_t entry = -1)
{
    if (frameProbe != nullptr) frameProbe->mark(what, entry);
}

}  // namespace qelo
