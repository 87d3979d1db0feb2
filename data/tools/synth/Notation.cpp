#include "Notation.h"

#include <stdexcept>
#include <string>

namespace orb::synth {
namespace {

float stepVelocity(char step)
{
    switch (step) {
    case 'X':
        return 1.0f;
    case 'x':
        return 0.7f;
    case 'o':
        return 0.45f;
    default:
        return 0.0f;
    }
}

std::vector<std::string_view> tokens(std::string_view text)
{
    std::vector<std::string_view> found;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(" \n|", at)) != std::string_view::npos) {
        const std::size_t end = text.find_first_of(" \n|", at);
        found.push_back(text.substr(at, end - at));
        at = end == std::string_view::npos ? text.size() : end;
    }
    return found;
}

} // namespace

Pattern steps(std::string_view grid, double key, double beats)
{
    Pattern pattern;
    double beat = 0.0;
    for (char step : grid) {
        if (step == ' ' || step == '|')
            continue;
        if (const float velocity = stepVelocity(step); velocity > 0.0f)
            pattern.push_back({beat, beats, key, velocity});
        else if (step != '.')
            throw std::invalid_argument("unknown step '" + std::string(1, step) + "'");
        beat += 0.25;
    }
    return pattern;
}

Pattern melody(std::string_view text, double stepBeats, float velocity)
{
    Pattern pattern;
    double beat = 0.0;
    bool holding = false;
    for (std::string_view token : tokens(text)) {
        if (token == "-" && holding)
            pattern.back().beats += stepBeats;
        else if (token == ".")
            holding = false;
        else {
            pattern.push_back({beat, stepBeats, keyOf(token), velocity});
            holding = true;
        }
        beat += stepBeats;
    }
    return pattern;
}

double keyOf(std::string_view name)
{
    static constexpr int Semitones[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G')
        throw std::invalid_argument("not a note: " + std::string(name));
    int key = Semitones[name[0] - 'A'];
    std::size_t at = 1;
    if (name[at] == '#' || name[at] == 'b')
        key += name[at++] == '#' ? 1 : -1;
    return 12 * (std::stoi(std::string(name.substr(at))) + 1) + key;
}

} // namespace orb::synth
