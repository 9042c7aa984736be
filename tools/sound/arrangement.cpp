#include "sound/arrangement.h"

#include "sound/parts.h"

namespace qelo::assetgen {

namespace {

// A minor for the first half and the ending, D minor under the tree.
constexpr Progression aMinor{{{33, {57, 60, 64}}, {41, {57, 60, 65}}, {36, {55, 60, 64}}, {43, {55, 59, 62}}}};
constexpr Progression dMinor{{{38, {57, 62, 65}}, {34, {58, 62, 65}}, {41, {57, 60, 65}}, {36, {55, 60, 64}}}};

Span spanOf(const Section& section, const Progression& chords)
{
    return {section.start, (section.end - section.start) / beatLength, &chords};
}

// Dot grid and slow rings: pads and a soft arpeggio opening up, hats later,
// a riser into the lift.
void intro(Score& s, const Span& span)
{
    addPads(s, span, 1.0, 0.2, 0.6);
    addArp(s, span, 0.5, 0.6, 0.2, 0.65);
    addHats(s, span, false, 0.35, 16);
    addRiser(s, span, span.beats, 8, 0.55);
}

// Tile wall, ripples and fast rings: the beat arrives, sixteenth arpeggio.
void lift(Score& s, const Span& span)
{
    addImpact(s, span.start, 0.7);
    addKicks(s, span);
    addHats(s, span, false, 0.5);
    addBass(s, span, false, 0.45);
    addPads(s, span, 0.7, 0.5, 0.6);
    addArp(s, span, 0.25, 0.45, 0.55, 0.8);
    addClaps(s, span, 8, 0.6);
    addSnareRoll(s, span, span.beats - 2, span.beats);
}

// The swarm: the full groove.
void swarm(Score& s, const Span& span, double grooveBeats)
{
    Span groove = span;
    groove.beats = grooveBeats;
    addImpact(s, span.start, 0.8);
    addKicks(s, groove);
    addClaps(s, groove);
    addHats(s, groove, true, 0.55);
    addBass(s, groove, true, 0.6);
    addPads(s, groove, 0.6, 0.6, 0.75);
    addArp(s, groove, 0.25, 0.5, 0.7, 0.95, 12);
}

// Only the swarm on screen: the drums stop, pads swell, a riser builds.
void breakdown(Score& s, const Span& span)
{
    addImpact(s, span.start, 0.45);
    addPads(s, span, 0.9, 0.8, 0.4);
    addArp(s, span, 0.5, 0.35, 0.3, 0.2, 24);
    addRiser(s, span, span.beats, span.beats, 0.6);
}

// The tree: a new key, a bell melody over a steady groove, the arpeggio
// returning for the second half.
void tree(Score& s, const Span& span)
{
    addImpact(s, span.start, 0.8);
    addKicks(s, span, 0, span.beats - 1);
    addClaps(s, span, 0, 0.7);
    addHats(s, span, false, 0.55);
    addHats(s, span, true, 0.25, 16);
    addBass(s, span, false, 0.5);
    addPads(s, span, 0.6, 0.35, 0.7);
    addMelody(s, span, 0.42);
    addArp(s, span, 0.5, 0.35, 0.4, 0.8, 12, 48);
    addSnareRoll(s, span, span.beats - 8, span.beats);
}

// The tile wall returns: a hit, then a short build into the last swarm.
void wall(Score& s, const Span& span)
{
    addImpact(s, span.start, 0.9);
    addPads(s, span, 0.8, 0.6, 0.9);
    addRiser(s, span, span.beats, span.beats, 1.0);
    addSnareRoll(s, span, 2, span.beats);
}

// The last swarm, then one final chord that has died away by 120 s.
void finale(Score& s, const Span& span)
{
    constexpr double grooveBeats = 32;
    swarm(s, span, grooveBeats);
    addImpact(s, span.timeOf(grooveBeats), 0.9, 1.8);
    s.push_back({Instrument::kick, span.timeOf(grooveBeats), 0.3, 0, 1.0, 0, 0.5});
    for (int pitch : {45, 57, 60, 64, 69})
        s.push_back({Instrument::pad, span.timeOf(grooveBeats), 0.8, static_cast<double>(pitch), 0.8, 0, 0.7});
}

}  // namespace

const std::vector<Section>& sections()
{
    static const std::vector<Section> list{
        {"intro", 0, 15},  {"lift", 15, 25},  {"swarm", 25, 50},    {"break", 50, 55},
        {"tree", 55, 100}, {"wall", 100, 103}, {"swarm again", 103, 120},
    };
    return list;
}

Score arrangeSong()
{
    const std::vector<Section>& sec = sections();
    Score s;
    intro(s, spanOf(sec[0], aMinor));
    lift(s, spanOf(sec[1], aMinor));
    const Span swarmSpan = spanOf(sec[2], aMinor);
    swarm(s, swarmSpan, swarmSpan.beats);
    addSnareRoll(s, swarmSpan, swarmSpan.beats - 4, swarmSpan.beats);
    breakdown(s, spanOf(sec[3], aMinor));
    tree(s, spanOf(sec[4], dMinor));
    wall(s, spanOf(sec[5], aMinor));
    finale(s, spanOf(sec[6], aMinor));
    return s;
}

}  // namespace qelo::assetgen
