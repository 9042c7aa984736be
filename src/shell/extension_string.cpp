#include "shell/extension_string.h"

#include <string_view>

namespace qelo {

bool hasExtension(const char* extensions, const char* name)
{
    const std::string_view text = extensions ? extensions : "";
    const std::string_view wanted = name ? name : "";
    return text.find(wanted) != std::string_view::npos;
}

}  // namespace qelo
