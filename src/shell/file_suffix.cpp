#include "shell/file_suffix.h"

namespace qelo {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool hasSuffixIgnoringCase(std::string_view name, std::string_view suffix)
{
    if (suffix.size() > name.size()) return false;
    const std::string_view tail = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (lower(tail[i]) != lower(suffix[i])) return false;
    return true;
}

}  // namespace qelo
