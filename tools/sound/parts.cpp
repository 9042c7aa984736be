#include "sound/parts.h"

#include <algorithm>
#include <cmath>

#include "sound/arrangement.h"

namespace qelo::assetgen {

double Span::timeOf(double beat) const { return start + beat * beatLength; }

const Chord& Span::chordAt(double beat) const
{
    const auto index = static_cast<std::size_t>(std::floor(beat / 8.0)) % chords->size();
    return (*chords)[index];
}

namespace {

Note note(Instrument i, double time, double length, double pitch, double velocity, double pan = 0, double tone = 0.5)
{
    return {i, time, length, pitch, velocity, pan, tone};
}

// Calls f(beat) for beat = from, from + step, ... while beat < span.beats.
template <typename F>
void eachStep(const Span& span, double from, double step, F f)
{
    const int n = static_cast<int>(std::ceil((span.beats - from) / step - 1e-9));
    for (int k = 0; k < n; ++k)
        f(from + k * step);
}

}  // namespace

void addKicks(Score& s, const Span& span, double fromBeat, double toBeat)
{
    eachStep(span, fromBeat, 1.0, [&](double b) {
        if (b < toBeat)
            s.push_back(note(Instrument::kick, span.timeOf(b), 0.3, 0, 0.95));
    });
}

void addClaps(Score& s, const Span& span, double fromBeat, double velocity)
{
    eachStep(span, fromBeat, 1.0, [&](double b) {
        if (static_cast<int>(b) % 2 == 1)
            s.push_back(note(Instrument::clap, span.timeOf(b), 0.2, 0, velocity));
    });
}

void addHats(Score& s, const Span& span, bool sixteenths, double velocity, double fromBeat)
{
    if (!sixteenths) {
        eachStep(span, fromBeat + 0.5, 1.0, [&](double b) {
            s.push_back(note(Instrument::hat, span.timeOf(b), 0.05, 0, velocity, 0.15, 0.35));
        });
        return;
    }
    eachStep(span, fromBeat, 0.25, [&](double b) {
        const int sixteenth = static_cast<int>(std::lround(b * 4.0)) % 4;
        const double accent = sixteenth == 2 ? 1.0 : (sixteenth == 0 ? 0.35 : 0.55);
        const double open = sixteenth == 2 ? 0.45 : 0.0;
        const double pan = sixteenth % 2 == 1 ? -0.4 : 0.3;
        s.push_back(note(Instrument::hat, span.timeOf(b), 0.05, 0, velocity * accent, pan, open));
    });
}

void addBass(Score& s, const Span& span, bool rolling, double tone, double fromBeat)
{
    if (!rolling) {
        eachStep(span, fromBeat + 0.5, 1.0, [&](double b) {
            s.push_back(note(Instrument::bass, span.timeOf(b), beatLength * 0.4, span.chordAt(b).root, 0.9, 0, tone));
        });
        return;
    }
    // The kick owns the downbeat; the bass answers on the other three sixteenths.
    static constexpr int octaveUp[4] = {0, 0, 12, 0};
    eachStep(span, fromBeat, 0.25, [&](double b) {
        const int sixteenth = static_cast<int>(std::lround(b * 4.0)) % 4;
        if (sixteenth == 0)
            return;
        const double pitch = span.chordAt(b).root + octaveUp[sixteenth];
        s.push_back(note(Instrument::bass, span.timeOf(b), beatLength * 0.2, pitch, sixteenth == 2 ? 0.9 : 0.7, 0, tone));
    });
}

void addPads(Score& s, const Span& span, double velocity, double toneFrom, double toneTo)
{
    eachStep(span, 0, 8.0, [&](double b) {
        const double length = std::min(8.0, span.beats - b) * beatLength;
        const double tone = toneFrom + (toneTo - toneFrom) * (b / std::max(span.beats, 1.0));
        const Chord& c = span.chordAt(b);
        for (std::size_t i = 0; i < c.tones.size(); ++i)
            s.push_back(note(Instrument::pad, span.timeOf(b), length, c.tones[i], velocity, 0, tone));
        s.push_back(note(Instrument::pad, span.timeOf(b), length, c.tones[0] - 12, velocity * 0.7, 0, tone));
    });
}

void addArp(Score& s, const Span& span, double step, double velocity, double toneFrom, double toneTo, int octave,
            double fromBeat)
{
    static constexpr int order[8] = {0, 2, 4, 1, 3, 5, 4, 2};
    int k = 0;
    eachStep(span, fromBeat, step, [&](double b) {
        const Chord& c = span.chordAt(b);
        const int index = order[k % 8];
        const int pitch = c.tones[static_cast<std::size_t>(index % 3)] + 12 * (index / 3) + octave;
        const double tone = toneFrom + (toneTo - toneFrom) * (b / std::max(span.beats, 1.0));
        const double pan = (k % 2 == 0) ? -0.5 : 0.5;
        s.push_back(note(Instrument::pluck, span.timeOf(b), step * beatLength * 0.8, pitch, velocity, pan, tone));
        ++k;
    });
}

void addMelody(Score& s, const Span& span, double velocity, double fromBeat)
{
    struct Step {
        double beat, beats;
        int pitch;
    };
    static constexpr Step phrase[] = {
        {0, 2, 69},  {2, 1, 72},  {3, 3, 74},  {6, 2, 72},  {8, 2, 70},  {10, 1, 74}, {11, 3, 77}, {14, 2, 74},
        {16, 2, 72}, {18, 1, 69}, {19, 3, 65}, {22, 2, 69}, {24, 3, 67}, {27, 1, 69}, {28, 2, 72}, {30, 2, 64},
    };
    for (double base = fromBeat; base < span.beats; base += 32.0) {
        for (const Step& st : phrase) {
            const double b = base + st.beat;
            if (b >= span.beats)
                break;
            s.push_back(note(Instrument::lead, span.timeOf(b), st.beats * beatLength * 0.9, st.pitch, velocity, 0.2));
        }
    }
}

void addRiser(Score& s, const Span& span, double endBeat, double beats, double velocity)
{
    s.push_back(note(Instrument::riser, span.timeOf(endBeat - beats), beats * beatLength, 45, velocity));
}

void addImpact(Score& s, double time, double velocity, double length)
{
    s.push_back(note(Instrument::impact, time, length, 0, velocity));
}

void addSnareRoll(Score& s, const Span& span, double fromBeat, double toBeat)
{
    const double middle = (fromBeat + toBeat) * 0.5;
    for (double b = fromBeat; b < toBeat - 1e-9;) {
        const double x = (b - fromBeat) / (toBeat - fromBeat);
        s.push_back(note(Instrument::snare, span.timeOf(b), 0.1, 0, 0.25 + 0.6 * x * x));
        b += b < middle ? 0.5 : 0.25;
    }
}

}  // namespace qelo::assetgen
