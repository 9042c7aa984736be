#pragma once
// How a captured video is encoded: the trade of size, quality and speed.
namespace qelo {

enum class VideoQuality {
    draft,   // fastest to make, large: for checking a capture
    share,   // small enough to upload, plays everywhere
    master,  // visually lossless, for editing further
};

}  // namespace qelo
