#pragma once
// A deliberately plain model of the decoding rules, for tests: one bit per
// read, a linear search of the code list per symbol, every block through
// the full inverse DCT, each sample placed into the RGBA picture by the
// replication formula, then the picture converted in place. The real decoder
// must produce exactly its bytes. Meant for valid streams only.
#include <cstdint>
#include <vector>

namespace qelo::jpegtest {

struct ReferencePicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// False if the stream is outside what the model handles.
bool referenceDecode(const std::vector<std::uint8_t>& jpeg, ReferencePicture& out);

}  // namespace qelo::jpegtest
