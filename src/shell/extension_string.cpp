#include "shell/extension_string.h"

#include <cstring>

namespace qelo {

bool hasExtension(const char* extensions, const char* name)
{
    if (extensions == nullptr || name == nullptr) return false;
    const std::size_t textLength = std::strlen(extensions);
    const std::size_t nameLength = std::strlen(name);
    if (nameLength > textLength) return false;
    for (std::size_t i = 0; i + nameLength <= textLength; ++i) {
        if (std::memcmp(extensions + i, name, nameLength) == 0) return true;
    }
    return false;
}

}  // namespace qelo
