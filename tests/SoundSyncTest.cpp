#include "SoundSync.h"

#include "DemoClock.h"
#include "FileSystem.h"
#include "Mp3Fixture.h"
#include "ScriptTestSupport.h"
#include "SoundSystem.h"

#include <algorithm>
#include <cmath>

namespace orb::test {
namespace {

constexpr std::int64_t TicksPerSecond = 1'000'000;
constexpr double DemoSeconds = 244.0; // the production's length, and a little more
constexpr std::size_t BufferFrames = 1024;
constexpr double Latency = 0.030;

// A sound card whose clock is not the system's: it takes a buffer whenever it has played the last
// one, at `ppm` parts per million off the counter's rate, and can stall or change its latency (as
// when the server moves the sound to another device).
class DriftingOutput final : public audio::Output
{
public:
    DriftingOutput(audio::Mixer& mixer, double ppm)
        : mixer_(mixer), rate_(audio::SampleRate * (1.0 + ppm * 1e-6))
    {}

    double latency() const override { return latencyNow; }

    // Pulls every buffer the card wants up to `tick`.
    void runUntil(std::int64_t tick)
    {
        while (nextMix_ <= static_cast<double>(tick)) {
            mixer_.mix(buffer_.data(), BufferFrames,
                       static_cast<std::int64_t>(nextMix_) +
                           static_cast<std::int64_t>(latencyNow * TicksPerSecond));
            nextMix_ += BufferFrames / rate_ * TicksPerSecond;
        }
    }
    void stall(double seconds) { nextMix_ += seconds * TicksPerSecond; }

    static inline double ppm = 0.0;
    static inline double latencyNow = Latency;
    static inline DriftingOutput* current = nullptr;

private:
    audio::Mixer& mixer_;
    double rate_;
    double nextMix_ = 0.0;
    std::vector<float> buffer_ = std::vector<float>(BufferFrames * audio::Channels);
};

class SoundSyncTest : public LoggedTest
{
protected:
    SoundSyncTest()
    {
        const audio::test::Sound quiet =
            audio::test::synthesise(44100, 2, DemoSeconds + 5, [](int, double) { return 0.0f; });
        const std::vector<unsigned char> mp3 = audio::test::encodeMp3(quiet, "-b 32");
        writeFile("Data/music.mp3", std::string(mp3.begin(), mp3.end()));
        std::filesystem::create_directory("Data.qel");
        fileSystem_.init("Data.qel");
    }

    // Plays the demo at 60 pictures a second, each shown at once, for `seconds`; calls `during`
    // with the demo time after every frame, and returns the largest part between picture and sound
    // from `settled` seconds on.
    double play(double ppm, double seconds, double settled, const std::function<void(double)>& during = {})
    {
        DriftingOutput::ppm = ppm;
        DriftingOutput::latencyNow = Latency;
        Host host = Host::player();
        host.soundLibrary.openDevice = [](audio::Mixer& mixer,
                                          std::string*) -> std::unique_ptr<audio::Output> {
            auto output = std::make_unique<DriftingOutput>(mixer, DriftingOutput::ppm);
            DriftingOutput::current = output.get();
            return output;
        };
        SoundSystem sound(fileSystem_, host);
        EXPECT_TRUE(sound.init(DemoSettings{}));
        const std::uint32_t music = sound.createStream("Data\\music.mp3", false);
        DemoClock clock(counter_);
        SoundSync sync(counter_, sound);
        clock.setStartDelay(sync.startDelay());
        clock.start(static_cast<float>(DemoSeconds), false);
        double worst = 0.0;
        const std::int64_t frame = TicksPerSecond / 60;
        for (std::int64_t tick = 0; tick < static_cast<std::int64_t>(seconds * TicksPerSecond);
             tick += frame) {
            counter_.advance(tick - counter_.now());
            DriftingOutput::current->runUntil(tick);
            if (clock.tick(nullptr).restarted) {
                sound.play(music, true);
                sound.setPosition(music, clock.time());
            }
            sync.follow(clock, music);
            sync.framePresented(clock.lastTick(), counter_.now());
            if (during)
                during(clock.time());
            const std::optional<audio::Playhead> heard = sound.playhead(music);
            if (!heard || clock.time() < settled)
                continue;
            // The picture stays for a frame: the sound heard in the middle of that is its own.
            const double sound = static_cast<double>(heard->frame) / audio::SampleRate +
                                 static_cast<double>(tick + frame / 2 - heard->tick) / TicksPerSecond;
            worst = std::max(worst, std::abs(sound - clock.time()));
        }
        return worst;
    }

    win::SteppedCounter counter_{TicksPerSecond};
    FileSystem fileSystem_;
};

TEST_F(SoundSyncTest, ACardRunning200PpmFastOrSlowStaysWithinTwoMillisecondsOverTheDemo)
{
    EXPECT_LT(play(200.0, DemoSeconds, 1.0), 0.002);
    EXPECT_LT(play(-200.0, DemoSeconds, 1.0), 0.002);
}

TEST_F(SoundSyncTest, AfterA50MillisecondStallThePictureIsBackWithinTwoMillisecondsInASecond)
{
    bool stalled = false;
    const auto stallAt60 = [&stalled](double time) {
        if (!stalled && time >= 60.0) {
            DriftingOutput::current->stall(0.050);
            stalled = true;
        }
    };
    EXPECT_LT(play(0.0, 59.0, 1.0), 0.002) << "in step before the stall";
    EXPECT_LT(play(0.0, 75.0, 61.0, stallAt60), 0.002);
    const std::vector<std::string> lines = log();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("ORB_INFO: sync over the demo: ") &&
               line.find(", 1 sound stalls;") != std::string::npos;
    })) << "the stall is counted";
}

TEST_F(SoundSyncTest, ADeviceThatChangesWhilePlayingIsFollowedWithinASecondAndSaidOnce)
{
    const auto headsetAt30 = [](double time) {
        if (time >= 30.0)
            DriftingOutput::latencyNow = 0.150;
    };
    EXPECT_LT(play(0.0, 40.0, 31.0, headsetAt30), 0.002);
    const std::vector<std::string> lines = log();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.starts_with("ORB_INFO: sound through ") &&
                                       line.ends_with(
                                           ", heard 150.0 ms after it is mixed (0 ms of it the "
                                           "viewer's offset): the device changed, the picture follows");
                            }),
              1);
}

} // namespace
} // namespace orb::test
