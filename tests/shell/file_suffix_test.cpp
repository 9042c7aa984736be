#include "shell/file_suffix.h"

#include <gtest/gtest.h>

namespace {

using qelo::hasSuffixIgnoringCase;

TEST(FileSuffix, LettersMatchInEitherCaseAndNothingElseDoes)
{
    EXPECT_TRUE(hasSuffixIgnoringCase("Show.MP4", ".mp4"));
    EXPECT_TRUE(hasSuffixIgnoringCase("show.mKv", ".MKV"));
    EXPECT_TRUE(hasSuffixIgnoringCase(".mp4", ".mp4"));
    EXPECT_FALSE(hasSuffixIgnoringCase("mp4", ".mp4"));  // shorter than the suffix
    EXPECT_FALSE(hasSuffixIgnoringCase("show.mp4 ", ".mp4"));
    EXPECT_FALSE(hasSuffixIgnoringCase("show.mp5", ".mp4"));
    EXPECT_FALSE(hasSuffixIgnoringCase("show\x0emp4", ".mp4"));  // '.' + 32 is no letter pair
    EXPECT_FALSE(hasSuffixIgnoringCase("show.m[4", ".m{4"));     // '[' and '{' differ by 32 too
}

}  // namespace
