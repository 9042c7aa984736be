#include "sound/voices.h"

#include <algorithm>
#include <cmath>

#include "sound/drum_voices.h"
#include "sound/tonal_voices.h"

namespace qelo::assetgen {

double soundingLength(const Note& n)
{
    switch (n.instrument) {
    case Instrument::kick: return 0.7;
    case Instrument::clap: return 0.4;
    case Instrument::snare: return 0.3;
    case Instrument::hat: return 0.08 + 0.35 * n.tone;
    case Instrument::riser: return n.length + 0.15;
    case Instrument::impact: return n.length + 0.6;
    case Instrument::bass: return n.length + 0.05;
    case Instrument::pad: return n.length + 0.95;
    case Instrument::pluck: return n.length + 0.1;
    case Instrument::lead: return n.length + 0.4;
    }
    return n.length;
}

namespace {

template <typename State, typename Voice>
void render(const Note& note, StereoBuffer& bus, State state, Voice voice)
{
    const std::size_t first = framesFor(note.time);
    const std::size_t count = framesFor(soundingLength(note));
    const std::size_t last = std::min(first + count, bus.frames());
    // A 6 ms fade at the end, so no voice is cut off with a click.
    constexpr std::size_t fade = 256;
    for (std::size_t i = first; i < last; ++i) {
        const double t = static_cast<double>(i - first) / sampleRate;
        const std::size_t left = first + count - i;
        const double g = left < fade ? static_cast<double>(left) / fade : 1.0;
        const Frame f = voice(note, t, state);
        bus.left[i] += static_cast<float>(f.left * g);
        bus.right[i] += static_cast<float>(f.right * g);
    }
}

// Oscillators start at scattered phases, so stacked voices do not all
// begin on the same edge.
TonalState tonalState(const Note& note)
{
    TonalState s;
    Prng prng(hashInts(static_cast<std::uint64_t>(note.instrument), framesFor(note.time), 77));
    for (Phase& p : s.phases)
        p.value = prng.uniform();
    return s;
}

}  // namespace

void playNote(const Note& note, StereoBuffer& bus)
{
    const DrumState drum(hashInts(static_cast<std::uint64_t>(note.instrument), framesFor(note.time)));
    switch (note.instrument) {
    case Instrument::kick: return render(note, bus, drum, kickFrame);
    case Instrument::clap: return render(note, bus, drum, clapFrame);
    case Instrument::snare: return render(note, bus, drum, snareFrame);
    case Instrument::hat: return render(note, bus, drum, hatFrame);
    case Instrument::riser: return render(note, bus, drum, riserFrame);
    case Instrument::impact: return render(note, bus, drum, impactFrame);
    case Instrument::bass: return render(note, bus, tonalState(note), bassFrame);
    case Instrument::pad: return render(note, bus, tonalState(note), padFrame);
    case Instrument::pluck: return render(note, bus, tonalState(note), pluckFrame);
    case Instrument::lead: return render(note, bus, tonalState(note), leadFrame);
    }
}

}  // namespace qelo::assetgen
