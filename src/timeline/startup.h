#pragma once
// Start-up: everything the scenes use, created once between window creation
// and show time 0, in an order that fixes which GL context holds which
// picture and where the random sequence stands when the scenes begin.
#include <cstdint>

namespace qelo {

// Draws of the generator discarded before the first scene: the first value a
// non-seeding routine sees is the next one, the 262,145th from seed 1.
inline constexpr std::int32_t discardedDraws = 262144;

inline constexpr int portraitCount = 6;
inline constexpr int tileCount = 3;

// Relative to the working directory. Index 5 repeats index 4's picture,
// decoded again into its own texture.
inline constexpr const char* portraitFiles[portraitCount] = {
    "grafiikkaa/ihminen1.jpg", "grafiikkaa/ihminen2.jpg", "grafiikkaa/ihminen3.jpg",
    "grafiikkaa/ihminen4.jpg", "grafiikkaa/ihminen5.jpg", "grafiikkaa/ihminen5.jpg",
};
inline constexpr const char* tileFiles[tileCount] = {
    "grafiikkaa/tile1.jpg", "grafiikkaa/tile2.jpg", "grafiikkaa/tile3.jpg",
};
inline constexpr const char* musicFile = "vamma4.mp3";

// Appends the show's ten schedule entries to sceneList, in schedule order.
void appendSchedule();

// What start-up does once the render targets could not be made (reported
// already; mainWindow.running is false).
enum class TargetFailure {
    Stop,    // nothing more: no schedule, pictures or music
    CarryOn  // every remaining step as usual; the frame loop will not run
};

// With the window's context current: texture arrays, the five targets, the
// schedule, the discarded draws, the portraits in target 3's context, the
// tiles in target 4's, the music, frameClock restarted. Leaves target 4's
// context current. A missing or corrupt picture, or one larger than the
// largest texture the context takes, is reported on stderr (one line) and
// leaves its texture empty; the show goes on. Returns whether the targets
// were made (mainWindow.running).
bool startUp(TargetFailure onFailure = TargetFailure::Stop);

}  // namespace qelo
