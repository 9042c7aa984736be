// Extension look-up is a plain substring search of the driver's string.
#include <gtest/gtest.h>

#include "shell/extension_string.h"

namespace qelo {
namespace {

TEST(ExtensionStringTest, FindsANameAnywhereInTheString)
{
    EXPECT_TRUE(hasExtension("WGL_ARB_extensions_string WGL_ARB_pbuffer WGL_ARB_pixel_format", "WGL_ARB_pbuffer"));
    EXPECT_TRUE(hasExtension("WGL_ARB_extensions_string WGL_ARB_pbuffer", "WGL_ARB_pbuffer"));  // at the end
    EXPECT_TRUE(hasExtension("WGL_ARB_pbuffer", "WGL_ARB_pbuffer"));                             // the whole string
    EXPECT_TRUE(hasExtension("WGL_ARB_pbuffer WGL_ARB_render_texture", "WGL_ARB_pbuffer"));      // at the start
}

TEST(ExtensionStringTest, IsCaseSensitiveAndNeedsTheWholeName)
{
    EXPECT_FALSE(hasExtension("wgl_arb_pbuffer", "WGL_ARB_pbuffer"));
    EXPECT_FALSE(hasExtension("WGL_ARB_pbuffe", "WGL_ARB_pbuffer"));  // longer than the string
    EXPECT_FALSE(hasExtension("WGL_ARB_pbuffe WGL_ARB_render_texture", "WGL_ARB_pbuffer"));
}

TEST(ExtensionStringTest, APrefixOfALongerNameCountsAsPresent)
{
    EXPECT_TRUE(hasExtension("WGL_ARB_pbuffer_float", "WGL_ARB_pbuffer"));
    EXPECT_TRUE(hasExtension("EGL_KHR_image_base_plus", "EGL_KHR_image_base"));
}

TEST(ExtensionStringTest, EmptyOrMissingStringsHoldNothing)
{
    EXPECT_FALSE(hasExtension("", "WGL_ARB_pbuffer"));
    EXPECT_FALSE(hasExtension(nullptr, "WGL_ARB_pbuffer"));
    EXPECT_FALSE(hasExtension("WGL_ARB_pbuffer", nullptr));
    EXPECT_TRUE(hasExtension("", ""));  // an empty name occurs at position 0
}

}  // namespace
}  // namespace qelo
