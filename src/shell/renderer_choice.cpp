#include "shell/renderer_choice.h"

#include <algorithm>
#include <cctype>

namespace qelo {

bool isSoftwareRasteriser(std::string_view glRenderer)
{
    std::string lower(glRenderer);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // Mesa's classic swrast calls itself "Software Rasterizer".
    for (const std::string_view name : {"llvmpipe", "softpipe", "swrast", "software rasterizer"}) {
        if (lower.find(name) != std::string::npos) return true;
    }
    return false;
}

}  // namespace qelo
