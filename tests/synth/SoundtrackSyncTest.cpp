// The built soundtrack, decoded by the engine's own audio layer, against its score: the demo's
// pictures change on the kicks the score says are there.

#include "Mp3Fixture.h"
#include "Score.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <numbers>
#include <numeric>
#include <string>

namespace orb::synth {
namespace {

constexpr double ToleranceSeconds = 0.005;

// The kick lives below the bass's harmonics and the pads: two one-pole low passes at 150 Hz.
std::vector<float> lowBand(const std::vector<float>& stereo)
{
    const float pole = std::exp(-2.0f * std::numbers::pi_v<float> * 150.0f / SampleRate);
    std::vector<float> band(stereo.size() / 2);
    float first = 0.0f, second = 0.0f;
    for (std::size_t i = 0; i < band.size(); ++i) {
        const float mono = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
        first = mono + pole * (first - mono);
        second = first + pole * (second - first);
        band[i] = second;
    }
    return band;
}

constexpr std::size_t Hop = SampleRate / 1000; // 1 ms

std::vector<double> hopEnergies(const std::vector<float>& band)
{
    std::vector<double> energies(band.size() / Hop);
    for (std::size_t hop = 0; hop < energies.size(); ++hop)
        for (std::size_t i = hop * Hop; i < (hop + 1) * Hop; ++i)
            energies[hop] += static_cast<double>(band[i]) * band[i];
    return energies;
}

// An onset is a millisecond whose low-band energy is several times the level a few milliseconds
// before it, and loud against the whole track; a bass note may give one too, so another onset
// may follow a few milliseconds later.
std::vector<double> kickOnsets(const std::vector<double>& energies)
{
    constexpr std::size_t Behind = 15, Gap = 5, Refractory = 10;
    constexpr double Rise = 4.0;
    const double floor = 0.02 * *std::max_element(energies.begin(), energies.end());
    std::vector<double> onsets;
    std::size_t lastOnset = 0;
    for (std::size_t hop = 0; hop < energies.size(); ++hop) {
        const std::size_t from = hop >= Behind ? hop - Behind : 0, to = hop >= Gap ? hop - Gap : 0;
        const double before =
            to > from ? std::accumulate(&energies[from], &energies[to], 0.0) / (to - from) : 0.0;
        const bool rising = energies[hop] > floor && energies[hop] > Rise * before;
        if (rising && (onsets.empty() || hop > lastOnset + Refractory)) {
            onsets.push_back(static_cast<double>(hop * Hop) / SampleRate);
            lastOnset = hop;
        }
    }
    return onsets;
}

double nearestError(const std::vector<double>& onsets, double seconds)
{
    double best = 1e9;
    for (double onset : onsets)
        best = std::min(best, std::fabs(onset - seconds));
    return best;
}

double secondsAt(double beat)
{
    return static_cast<double>(sampleAt(beat)) / SampleRate;
}

class Soundtrack : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        std::ifstream file(ORB_PRODUCTION_DATA "/velmora.mp3", std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
        decoded_ = new std::vector<float>(audio::test::decodeAll(bytes));
        onsets_ = new std::vector<double>(kickOnsets(hopEnergies(lowBand(*decoded_))));
    }
    static void TearDownTestSuite()
    {
        delete decoded_;
        delete onsets_;
    }

    static std::vector<float>* decoded_;
    static std::vector<double>* onsets_;
    const Song song_ = velmora();
};

std::vector<float>* Soundtrack::decoded_ = nullptr;
std::vector<double>* Soundtrack::onsets_ = nullptr;

TEST_F(Soundtrack, LastsTheSongAndAShortTail)
{
    const double seconds = static_cast<double>(decoded_->size() / 2) / SampleRate;
    const double song = secondsAt(song_.bars * BeatsPerBar);
    EXPECT_GE(seconds, song);
    EXPECT_LE(seconds, song + 2.5);
}

TEST_F(Soundtrack, EveryBarTheScoreStartsWithAKickStartsWithAnOnset)
{
    const std::vector<int> bars = kickBars(song_);
    ASSERT_FALSE(bars.empty());
    EXPECT_EQ(bars.front(), 0);
    double worst = 0.0;
    for (int bar : bars) {
        const double error = nearestError(*onsets_, secondsAt(bar * BeatsPerBar));
        EXPECT_LE(error, ToleranceSeconds) << "bar " << bar;
        worst = std::max(worst, error);
    }
    RecordProperty("worstBarErrorMicroseconds", std::to_string(std::lround(worst * 1e6)));
}

TEST_F(Soundtrack, EveryPeakAccentHasAnOnset)
{
    const std::vector<double> accents = accentBeats(song_);
    const Section& peak = song_.section("peak");
    ASSERT_EQ(accents.size(), static_cast<std::size_t>(peak.endBar - peak.firstBar));
    double worst = 0.0;
    for (double beat : accents) {
        const double error = nearestError(*onsets_, secondsAt(beat));
        EXPECT_LE(error, ToleranceSeconds) << "beat " << beat;
        worst = std::max(worst, error);
    }
    RecordProperty("worstAccentErrorMicroseconds", std::to_string(std::lround(worst * 1e6)));
}

// The detector must tell a kick from the rest: bar lines without one have no onset.
TEST_F(Soundtrack, BarsWithoutAKickHaveNoOnsetOnTheirLine)
{
    const std::vector<int> bars = kickBars(song_);
    int checked = 0;
    for (int bar = 0; bar < song_.bars; ++bar)
        if (std::find(bars.begin(), bars.end(), bar) == bars.end()) {
            EXPECT_GT(nearestError(*onsets_, secondsAt(bar * BeatsPerBar)), 0.02) << "bar " << bar;
            ++checked;
        }
    EXPECT_GT(checked, 0);
}

} // namespace
} // namespace orb::synth
