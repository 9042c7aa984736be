#pragma once
// The show's music, played once from the start, never touched again. The
// backend streams the file; failure leaves the show silent, timing unchanged.
namespace qelo {

// Returns false (and has said why on stderr) when the music cannot play.
bool startMusic(const char* path);

}  // namespace qelo
