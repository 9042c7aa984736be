// The show's 1024 x 768 placed in drawables of other sizes.
#include <gtest/gtest.h>

#include "shell/letterbox.h"

namespace qelo {
namespace {

// Same size and HiDPI fill the drawable; wider screens get bars left and
// right, narrower ones top and bottom; odd remainders stay inside; empty
// drawables or shows give an empty rectangle.
TEST(LetterboxTest, FitsTheShowCentredInTheDrawable)
{
    const struct {
        int drawableWidth, drawableHeight, showWidth;
        ViewportRect expected;
    } cases[] = {
        {1024, 768, 1024, {0, 0, 1024, 768}},    {2048, 1536, 1024, {0, 0, 2048, 1536}},
        {1920, 1080, 1024, {240, 0, 1440, 1080}}, {2560, 1440, 1024, {320, 0, 1920, 1440}},
        {1280, 1024, 1024, {0, 32, 1280, 960}},   {768, 1024, 1024, {0, 224, 768, 576}},
        {1367, 768, 1024, {171, 0, 1024, 768}},   {0, 768, 1024, {0, 0, 0, 0}},
        {1024, -1, 1024, {0, 0, 0, 0}},           {1024, 768, 0, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const ViewportRect r = fitViewport(c.drawableWidth, c.drawableHeight, c.showWidth, 768);
        EXPECT_EQ(r.x, c.expected.x) << c.drawableWidth << " x " << c.drawableHeight;
        EXPECT_EQ(r.y, c.expected.y) << c.drawableWidth << " x " << c.drawableHeight;
        EXPECT_EQ(r.width, c.expected.width) << c.drawableWidth << " x " << c.drawableHeight;
        EXPECT_EQ(r.height, c.expected.height) << c.drawableWidth << " x " << c.drawableHeight;
    }
}

}  // namespace
}  // namespace qelo
