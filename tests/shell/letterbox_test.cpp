// The show's 1024 x 768 placed in drawables of other sizes.
#include <gtest/gtest.h>

#include "shell/letterbox.h"

namespace qelo {
namespace {

void expectRect(const ViewportRect& r, int x, int y, int width, int height)
{
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, width);
    EXPECT_EQ(r.height, height);
}

TEST(LetterboxTest, TheShowsOwnSizeFillsTheDrawable)
{
    expectRect(fitViewport(1024, 768, 1024, 768), 0, 0, 1024, 768);
    expectRect(fitViewport(2048, 1536, 1024, 768), 0, 0, 2048, 1536);  // HiDPI, twice the pixels
}

TEST(LetterboxTest, WiderScreensGetBarsLeftAndRight)
{
    expectRect(fitViewport(1920, 1080, 1024, 768), 240, 0, 1440, 1080);
    expectRect(fitViewport(2560, 1440, 1024, 768), 320, 0, 1920, 1440);
}

TEST(LetterboxTest, NarrowerScreensGetBarsTopAndBottom)
{
    expectRect(fitViewport(1280, 1024, 1024, 768), 0, 32, 1280, 960);
    expectRect(fitViewport(768, 1024, 1024, 768), 0, 224, 768, 576);
}

TEST(LetterboxTest, OddRemaindersAreSplitWithoutLeavingTheDrawable)
{
    const ViewportRect r = fitViewport(1367, 768, 1024, 768);
    expectRect(r, 171, 0, 1024, 768);
    EXPECT_LE(r.x + r.width, 1367);
}

TEST(LetterboxTest, EmptyDrawablesGiveAnEmptyRectangle)
{
    expectRect(fitViewport(0, 768, 1024, 768), 0, 0, 0, 0);
    expectRect(fitViewport(1024, -1, 1024, 768), 0, 0, 0, 0);
    expectRect(fitViewport(1024, 768, 0, 768), 0, 0, 0, 0);
}

}  // namespace
}  // namespace qelo
