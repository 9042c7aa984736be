#include <gtest/gtest.h>

#include "decoded_mp3.h"
#include "sound/arrangement.h"
#include "sound/mp3_file.h"
#include "sound/song.h"
#include "sound/voices.h"

namespace {

using namespace qelo::assetgen;

const std::filesystem::path shippedMusic = std::filesystem::path(QELO_DATA_DIR) / "vamma4.mp3";

TEST(Music, RenderingAndEncodingTwiceGivesTheSameBytes)
{
    const StereoBuffer a = renderSong(3.0), b = renderSong(3.0);
    ASSERT_EQ(a.frames(), framesFor(3.0));
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
    EXPECT_EQ(encodeMp3(a), encodeMp3(b));
}

TEST(Music, EveryNoteStartsAndDiesAwayWithinTheShow)
{
    const Score score = arrangeSong();
    ASSERT_FALSE(score.empty());
    for (const Note& n : score) {
        EXPECT_GE(n.time, 0.0);
        EXPECT_LE(n.time + soundingLength(n), songLength + 0.05)
            << "instrument " << static_cast<int>(n.instrument) << " at " << n.time << " s rings past the end";
    }
}

TEST(Music, SectionsCoverTheShowInOrder)
{
    const auto& list = sections();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.front().start, 0.0);
    EXPECT_EQ(list.back().end, songLength);
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_EQ(list[i].start, list[i - 1].end) << list[i].name;
}

class ShippedMusic : public ::testing::Test {
protected:
    static void SetUpTestSuite() { decoded = new reference::DecodedMp3(reference::decodeMp3(shippedMusic)); }
    static void TearDownTestSuite() { delete decoded; }
    static reference::DecodedMp3* decoded;
};
reference::DecodedMp3* ShippedMusic::decoded = nullptr;

TEST_F(ShippedMusic, DecodesAsTwoMinutesOf44kHzStereoPeakingBelowFullScale)
{
    ASSERT_EQ(decoded->error, "");
    EXPECT_EQ(decoded->rate, sampleRate);
    EXPECT_EQ(decoded->channels, 2);
    const double seconds = static_cast<double>(decoded->audio.frames()) / sampleRate;
    EXPECT_NEAR(seconds, songLength, 0.5);
    const SongLevels whole = measure(decoded->audio);
    EXPECT_LT(whole.peakDb, -0.5);
    EXPECT_GT(whole.rmsDb, -20.0);
    EXPECT_LT(whole.rmsDb, -8.0);
}

TEST_F(ShippedMusic, EverySectionIsHeardAndTheEndIsSilent)
{
    ASSERT_EQ(decoded->error, "");
    const StereoBuffer& audio = decoded->audio;
    for (const Section& s : sections()) {
        const SongLevels level = measure(audio, framesFor(s.start), framesFor(s.end));
        EXPECT_GT(level.rmsDb, -30.0) << s.name;
        RecordProperty(s.name, std::to_string(level.rmsDb));
    }
    const std::size_t end = audio.frames();
    EXPECT_LT(measure(audio, end - framesFor(0.05), end).peakDb, -50.0);
}

TEST_F(ShippedMusic, TheBeatArrivesWithTheTileWallAndStopsForTheBreak)
{
    ASSERT_EQ(decoded->error, "");
    const StereoBuffer& audio = decoded->audio;
    const auto rms = [&](double from, double to) { return measure(audio, framesFor(from), framesFor(to)).rmsDb; };
    EXPECT_GT(rms(15.5, 24.5), rms(2.0, 10.0) + 3.0);   // quiet intro, then the lift
    EXPECT_GT(rms(30.0, 45.0), rms(50.5, 53.0) + 3.0);  // swarm louder than the break
}

}  // namespace
