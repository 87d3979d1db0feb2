#include "Song.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace orb::synth {

std::int64_t sampleAt(double beat)
{
    return std::llround(beat * SecondsPerBeat * SampleRate);
}

std::vector<Note> Track::notes() const
{
    std::vector<Note> all;
    double phraseStart = 0.0;
    for (char key : order) {
        if (key == ' ')
            continue;
        if (const auto pattern = patterns.find(key); pattern != patterns.end())
            for (Note note : pattern->second) {
                note.beat += phraseStart;
                all.push_back(note);
            }
        else if (key != '.')
            throw std::invalid_argument(name + " has no pattern '" + std::string(1, key) + "'");
        phraseStart += BeatsPerPhrase;
    }
    std::stable_sort(all.begin(), all.end(), [](const Note& a, const Note& b) { return a.beat < b.beat; });
    return all;
}

const Track& Song::track(const std::string& name) const
{
    const auto found =
        std::find_if(tracks.begin(), tracks.end(), [&](const Track& t) { return t.name == name; });
    if (found == tracks.end())
        throw std::invalid_argument("no track " + name);
    return *found;
}

const Section& Song::section(const std::string& name) const
{
    const auto found =
        std::find_if(sections.begin(), sections.end(), [&](const Section& s) { return s.name == name; });
    if (found == sections.end())
        throw std::invalid_argument("no section " + name);
    return *found;
}

} // namespace orb::synth
