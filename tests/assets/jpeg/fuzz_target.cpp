// libFuzzer entry: any bytes must decode or fail cleanly; a success must
// deliver exactly one picture of the size the headers give.
#include <cstdint>
#include <cstdlib>

#include "assets/jpeg/decoder.h"
#include "pixel_sink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (std::size_t{1} << 24)) return 0;
    qelo::jpegtest::PixelSink sink;
    const qelo::DecodeResult result = qelo::decode(sink, data, static_cast<std::int32_t>(size));
    if (result ? sink.writes != 1 || sink.width <= 0 || sink.height <= 0 : sink.writes != 0 || result.error[0] == '\0')
        std::abort();
    return 0;
}
