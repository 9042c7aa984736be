#pragma once
// The Windows side of the music beyond the shared startMusic().

namespace qelo::win32 {

// Closes the MCI device startMusic opened, if any. Called once the show is
// over, so that the player is shut down before the process goes.
void stopMusic();

}  // namespace qelo::win32
