#include "Score.h"

#include "Instruments.h"
#include "Notation.h"

#include <array>
#include <cmath>
#include <functional>
#include <string>

namespace orb::synth {
namespace {

using Chord = std::vector<double>;

// The spine of the piece, one chord a bar: i-VI-III-VII in A minor (Am F C G), voiced close
// around middle C so that the pads barely move between chords.
const std::array<Chord, BarsPerPhrase> Progression = {
    {{57, 60, 64}, {57, 60, 65}, {55, 60, 64}, {55, 59, 62}}};
const std::array<double, BarsPerPhrase> Roots = {33, 29, 36, 31}; // A1 F1 C2 G1

// A phrase built bar by bar.
Pattern phrase(const std::function<Pattern(int bar)>& makeBar)
{
    Pattern whole;
    for (int bar = 0; bar < BarsPerPhrase; ++bar)
        for (Note note : makeBar(bar)) {
            note.beat += bar * BeatsPerBar;
            whole.push_back(note);
        }
    return whole;
}

Pattern everyBar(std::string_view grid, double key)
{
    return phrase([&](int) { return steps(grid, key); });
}

Pattern bassline(std::string_view grid, double octaves, double beats)
{
    return phrase([&](int bar) { return steps(grid, Roots[bar] + 12 * octaves, beats); });
}

Pattern chordsOn(std::string_view grid, const std::function<Chord(int bar)>& voicing, double beats)
{
    return phrase([&](int bar) {
        Pattern hits;
        for (double key : voicing(bar))
            for (const Note& hit : steps(grid, key, beats))
                hits.push_back(hit);
        return hits;
    });
}

Chord raised(int bar, double semitones)
{
    Chord chord = Progression[bar];
    for (double& key : chord)
        key += semitones;
    return chord;
}

// Sixteenths up and down the chord and its octave.
Pattern arpeggio()
{
    static constexpr std::array<int, 16> Order = {0, 1, 2, 3, 4, 5, 4, 3, 1, 2, 3, 4, 5, 4, 3, 2};
    return phrase([](int bar) {
        Chord tones = raised(bar, 12);
        for (double key : Progression[bar])
            tones.push_back(key + 24);
        Pattern notes;
        for (std::size_t step = 0; step < Order.size(); ++step)
            notes.push_back({step * 0.25, 0.2, tones[Order[step]], step % 4 == 0 ? 1.0f : 0.65f});
        return notes;
    });
}

// The groove's stabs: every bar a different top note, one greeting a bar.
Pattern greetings(std::string_view topLine)
{
    const Pattern tops = melody(topLine, BeatsPerBar);
    return phrase([&](int bar) {
        Chord voicing = raised(bar, 12);
        voicing.push_back(tops[bar].key);
        Pattern hits;
        for (double key : voicing)
            for (const Note& hit : steps("X.........x.....", key, 0.5))
                hits.push_back(hit);
        return hits;
    });
}

Track track(std::string name, Patch patch, std::map<char, Pattern> patterns, std::string order, Mix mix)
{
    return {std::move(name), std::move(patch), std::move(patterns), std::move(order), mix};
}

// Every order below has one character a phrase (four bars), grouped by section:
//   intro theme drive play  break build groove peak  accents close
//   0     4     20    36    52    68    84     100   116     132-140

std::vector<Track> drums()
{
    const double kick = instruments::kickKey();
    const double snare = 54.5; // about 190 Hz
    const std::string fourToTheFloor = "X...X...X...X...";
    return {
        track("kick", instruments::kick(),
              {{'i', steps("X", kick)},
               {'K', everyBar(fourToTheFloor, kick)},
               {'L', everyBar("X.......X..x....", kick)},
               {'A', everyBar("X...X.X.X...X...", kick)},
               {'b', everyBar("X...............", kick)},
               {'h', everyBar("X.......X.......", kick)},
               {'e', steps("X...............|X...............|X...............", kick)}},
              "i KKKK KKKK LLLL .... bhKK KKKK AAAA KKKK Ke", {.gain = 0.9f, .keysSidechain = true}),
        track("snare", instruments::snare(),
              {{'f', steps("................|................|................|............oxXX", snare)},
               {'S', everyBar("....X.......X...", snare)},
               {'F', steps("....X.......X...|....X.......X...|....X.......X...|....X.......xxXX", snare)},
               {'p', steps("........X.......|........X.....o.|........X.......|........X...o.o.", snare)},
               {'g', steps("................|............o...|................|............x...", snare)},
               {'R', steps("o...o...o...o...|o.o.o.o.o.o.o.o.|x.x.x.x.xxxxxxxx|XXXXXXXXXXXXXXXX", snare)}},
              ". ffff SSSF pppp ..gg .pSR SSSF SSSF ppSS S.", {.gain = 0.42f, .reverb = 0.25f}),
        track("clap", instruments::clap(), {{'C', everyBar("....X.......X...", 60)}},
              ". .... CCCC .... .... ..CC CCCC CCCC ..CC ..", {.gain = 0.3f, .reverb = 0.3f}),
        track("closed hat", instruments::closedHat(),
              {{'h', everyBar("..x...x...x...x.", 60)},
               {'H', everyBar("xoXoxoXoxoXoxoXo", 60)},
               {'p', everyBar("..x...x...x..xx.", 60)},
               {'s', everyBar("..o.......o.....", 60)}},
              ". hhhh HHHH pppp ssss shHH HHHH HHHH HHHH h.", {.gain = 0.1f, .pan = 0.25f}),
        track("open hat", instruments::openHat(), {{'o', everyBar("..X...X...X...X.", 60)}},
              ". .... oooo .... .... ..oo oooo oooo oooo ..", {.gain = 0.07f, .pan = -0.25f, .duck = 0.3f}),
        track("crash", instruments::crash(), {{'x', steps("X", 60, 4.0)}},
              "x x... x... x... .... x... x... x... x.x. x.", {.gain = 0.1f, .reverb = 0.2f}),
    };
}

std::vector<Track> harmony()
{
    const auto padChord = [](int bar) { return Progression[bar]; };
    return {
        track("bass", instruments::bass(),
              {{'O', bassline("..X...X...X...X.", 1, 0.22)},
               {'G', bassline("..X.x.X...X.x.X.", 1, 0.2)},
               {'R', bassline(".XXX.XXX.XXX.XXX", 1, 0.2)}},
              ". OOOO OOOO OOOO .... .OOO GGGG RRRR OOOO O.", {.gain = 0.3f, .duck = 0.8f}),
        track("drone", instruments::drone(),
              {{'d', bassline("X...............", 0, 3.8)}, {'e', melody("A1 - - -", 3.5)}},
              ". .... .... .... dddd d... .... .... .... .e", {.gain = 0.32f}),
        track("pad", instruments::pad(),
              {{'P', chordsOn("X...............", padChord, 4.0)},
               {'e', chordsOn(
                         "X", [](int bar) { return bar == 0 ? Progression[0] : Chord{}; }, 14.0)}},
              "P PPPP PPPP .... PPPP PPPP .... PPPP PPPP Pe",
              {.gain = 0.15f, .duck = 0.5f, .reverb = 0.35f, .chorus = true}),
    };
}

std::vector<Track> melodies()
{
    const Pattern themeA =
        melody("E5 - - D5 - C5 - D5 | C5 - - A4 - - F4 - | G4 - - E5 - - D5 C5 | B4 - - - G4 - D5 -", 0.5);
    const Pattern themeB =
        melody("A5 - - G5 - E5 - - | F5 - - E5 - C5 - - | E5 - - G5 - - E5 C5 | D5 - - - B4 - - -", 0.5);
    return {
        track("lead", instruments::lead(), {{'a', themeA}, {'b', themeB}},
              ". abab abab .... ..ab .... .... abab .... ..",
              {.gain = 0.15f, .duck = 0.3f, .reverb = 0.25f, .echo = 0.3f}),
        track("pluck", instruments::pluck(), {{'A', arpeggio()}},
              ". .... .... AAAA ..AA AAAA AAAA .... AAAA A.",
              {.gain = 0.11f, .pan = 0.15f, .duck = 0.4f, .reverb = 0.2f, .echo = 0.3f}),
        track("stab", instruments::stab(),
              {{'c', chordsOn(
                         "........X...X...|",
                         [](int bar) { return bar % 2 == 0 ? raised(bar, 12) : Chord{}; }, 0.5)},
               {'k', chordsOn(
                         "....X.......X...", [](int bar) { return raised(bar, 12); }, 0.5)},
               {'1', greetings("E5 F5 G5 D5")},
               {'2', greetings("C5 A5 C6 B5")},
               {'3', greetings("A5 C6 E6 G5")},
               {'4', greetings("E6 F6 E6 D6")}},
              ". .... cccc .... .... .... 1234 .... ..kk ..", {.gain = 0.16f, .duck = 0.3f, .reverb = 0.3f}),
        track("riser", instruments::riser(), {{'r', melody("C4", BeatsPerPhrase)}},
              "r ...r .... .... .... ...r ...r .... .... ..", {.gain = 0.1f, .reverb = 0.3f}),
    };
}

bool sameBeat(double a, double b)
{
    return std::fabs(a - b) < 1e-9;
}

} // namespace

Song velmora()
{
    Song song;
    for (auto group : {drums(), harmony(), melodies()})
        song.tracks.insert(song.tracks.end(), group.begin(), group.end());
    song.sections = {{"intro", 0, 4},       {"theme", 4, 20},   {"drive", 20, 36},   {"play", 36, 52},
                     {"breakdown", 52, 68}, {"build", 68, 84},  {"groove", 84, 100}, {"peak", 100, 116},
                     {"accents", 116, 132}, {"close", 132, 140}};
    song.bars = 140;
    return song;
}

MasterBus velmoraMastering()
{
    return {0.85f, std::pow(10.0f, CeilingDecibels / 20.0f)};
}

std::vector<int> kickBars(const Song& song)
{
    std::vector<int> bars;
    for (const Note& note : song.track("kick").notes()) {
        const int bar = static_cast<int>(std::floor(note.beat / BeatsPerBar));
        if (sameBeat(note.beat, bar * BeatsPerBar) && (bars.empty() || bars.back() != bar))
            bars.push_back(bar);
    }
    return bars;
}

std::vector<double> accentBeats(const Song& song)
{
    const Section& peak = song.section("peak");
    std::vector<double> beats;
    for (const Note& note : song.track("kick").notes()) {
        const double barStart = std::floor(note.beat / BeatsPerBar) * BeatsPerBar;
        const bool inPeak = note.beat >= peak.firstBar * BeatsPerBar && note.beat < peak.endBar * BeatsPerBar;
        if (inPeak && sameBeat(note.beat - barStart, 1.5))
            beats.push_back(note.beat);
    }
    return beats;
}

} // namespace orb::synth
