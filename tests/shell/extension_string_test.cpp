// Extension look-up is a plain substring search of the driver's string.
#include <gtest/gtest.h>

#include "shell/extension_string.h"

namespace qelo {
namespace {

// A plain, case-sensitive substring search: anywhere in the string, and a
// prefix of a longer name counts as present.
TEST(ExtensionStringTest, PlainSubstringSearch)
{
    const char* const pbuffer = "WGL_ARB_pbuffer";
    const struct {
        const char* extensions;
        const char* name;
        bool found;
    } cases[] = {
        {"WGL_ARB_extensions_string WGL_ARB_pbuffer WGL_ARB_pixel_format", pbuffer, true},
        {"WGL_ARB_pbuffer WGL_ARB_render_texture", pbuffer, true},
        {"WGL_ARB_pbuffer_float", pbuffer, true},
        {"XWGL_ARB_pbuffer", pbuffer, true},
        {"wgl_arb_pbuffer", pbuffer, false},
        {"WGL_ARB_pbuffe WGL_ARB_render_texture", pbuffer, false},
        {"WGL_ARB_ pbuffer", pbuffer, false},
        {nullptr, pbuffer, false},
        {"WGL_ARB_pbuffer", nullptr, false},
        {"", "", true},  // an empty name occurs at position 0
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hasExtension(c.extensions, c.name), c.found) << (c.extensions ? c.extensions : "null");
    }
}

}  // namespace
}  // namespace qelo
