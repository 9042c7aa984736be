#include <gtest/gtest.h>

#include <cmath>

#include "sound/master.h"
#include "sound/song.h"
#include "sound/voices.h"

namespace {

using namespace qelo::assetgen;

constexpr Instrument allInstruments[] = {Instrument::kick,  Instrument::clap,  Instrument::snare, Instrument::hat,
                                         Instrument::bass,  Instrument::pad,   Instrument::pluck, Instrument::lead,
                                         Instrument::riser, Instrument::impact};

TEST(Voices, EveryInstrumentSoundsAndFadesOutWithoutAClick)
{
    for (Instrument i : allInstruments) {
        const Note n{i, 0.01, 0.4, 57, 1.0, 0.0, 0.6};
        StereoBuffer bus(framesFor(0.01 + soundingLength(n) + 0.1));
        playNote(n, bus);
        const std::size_t end = framesFor(0.01) + framesFor(soundingLength(n));
        const SongLevels whole = measure(bus);
        ASSERT_TRUE(std::isfinite(whole.peakDb)) << static_cast<int>(i);
        EXPECT_GT(whole.peakDb, -30.0) << "instrument " << static_cast<int>(i) << " is nearly silent";
        EXPECT_LT(whole.peakDb, 6.0) << "instrument " << static_cast<int>(i) << " is far too hot";
        // Its last millisecond is quiet relative to its peak, and nothing follows.
        EXPECT_LT(measure(bus, end - framesFor(0.001), end).peakDb, whole.peakDb - 35.0) << static_cast<int>(i);
        EXPECT_EQ(measure(bus, end, bus.frames()).peakDb, -200.0) << static_cast<int>(i);
    }
}

TEST(Voices, TheSameNoteSoundsTheSameWhereverTheBusStarts)
{
    // A note's noise and phases come from the note itself, not from what was
    // rendered before it, so a partial render matches the full one.
    const Note hat{Instrument::hat, 0.5, 0.05, 0, 1.0, 0.3, 0.5};
    const Note kick{Instrument::kick, 0.2, 0.3, 0, 1.0, 0.0, 0.5};
    StereoBuffer alone(framesFor(1.0)), both(framesFor(1.0)), kickOnly(framesFor(1.0));
    playNote(hat, alone);
    playNote(kick, both);
    playNote(hat, both);
    playNote(kick, kickOnly);
    for (std::size_t f = 0; f < both.frames(); ++f)
        ASSERT_FLOAT_EQ(both.left[f], kickOnly.left[f] + alone.left[f]) << f;
}

TEST(Mastering, PeaksStayUnderTheCeilingAndTheFadeEndsInSilence)
{
    StereoBuffer hot(framesFor(2.0));
    for (std::size_t f = 0; f < hot.frames(); ++f) {
        const double t = static_cast<double>(f) / sampleRate;
        hot.left[f] = static_cast<float>(5.0 * std::sin(6.283185307179586 * 110.0 * t));
        hot.right[f] = static_cast<float>(0.5 * std::sin(6.283185307179586 * 220.0 * t));
    }
    master(hot, 0.84, 0.5);
    const SongLevels level = measure(hot);
    EXPECT_LE(level.peakDb, 20.0 * std::log10(0.84));
    EXPECT_GT(level.peakDb, 20.0 * std::log10(0.84) - 1.0);  // driven up to it, not crushed
    EXPECT_LT(measure(hot, hot.frames() - 10, hot.frames()).peakDb, -60.0);
}

}  // namespace
