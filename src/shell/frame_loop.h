#pragma once
// The life of the show: window, start-up, the frame loop, shut-down. Every
// platform's entry point calls runShow; nothing else drives frames.
#include <functional>

#include "timeline/startup.h"

namespace qelo {

// Show time after which the frame step ends the show, in seconds. The test
// is strict: the first frame reading more than this is still drawn in full.
inline constexpr double showLength = 120.0;

// One frame: clear the targets, let the scheduled routines draw, composite
// onto the window, restart the frame clock, test for the end of the show.
void frameStep();

// Destroys the portrait and tile texture arrays (in the current context).
void shutDown();

// Called once a frame after frameStep, before the frame is presented, with
// the window's context current. Capture hangs its work here.
using FrameHook = std::function<void()>;

// The show in steps, for hosts that draw one frame per callback (a
// browser): runShow is beginShow, show time started, showFrame while
// mainWindow.running, shutDown.
//
// Creates mainWindow; if that fails, returns false at once, without
// start-up. Otherwise runs start-up (which, when the render targets cannot
// be made, stops or carries on as `onFailure` says) and returns whether it
// succeeded.
bool beginShow(TargetFailure onFailure = TargetFailure::Stop);
// One pass of the loop: glClear, frameStep, afterFrame, pumpMessages.
void showFrame(const FrameHook& afterFrame = {});

// beginShow, then show time started, frames while mainWindow.running and
// shutDown; returns what beginShow returned.
bool runShow(const FrameHook& afterFrame = {}, TargetFailure onFailure = TargetFailure::Stop);

}  // namespace qelo
