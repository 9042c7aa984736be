#pragma once
// The scan: every frame component decoded in one pass in MCU order, each
// block reconstructed into a band of sample planes one MCU row high, and
// each finished band converted into RGBA rows.
#include <cstdint>

#include "assets/jpeg/headers.h"

namespace qelo::jpeg {

// Decodes the scan that starts at headers.entropyStart into `rgba`
// (width x height x 4 bytes). Returns null on success, otherwise the reason;
// `rgba` then holds a partial picture.
const char* decodeScan(const JpegHeaders& headers, const std::uint8_t* bytes, std::int32_t size, std::uint8_t* rgba);

}  // namespace qelo::jpeg
