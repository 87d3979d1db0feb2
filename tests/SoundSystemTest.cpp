#include "SoundSystem.h"

#include "FileSystem.h"
#include "Mp3Fixture.h"
#include "ScriptTestSupport.h"

#include <algorithm>
#include <cstdlib>

namespace orb::test {
namespace {

const std::string& mp3()
{
    static const std::string bytes = [] {
        const std::vector<unsigned char>& encoded = audio::test::sweepMp3();
        return std::string(encoded.begin(), encoded.end());
    }();
    return bytes;
}

class SoundSystemTest : public LoggedTest
{
protected:
    SoundSystemTest()
    {
        writeFile("Data/music.mp3", mp3());
        writeFile("Data/other.mp3", mp3());
        writeFile("Data/junk.mp3", "this is no MPEG audio at all");
        std::filesystem::create_directory("Data.qel");
        fileSystem_.init("Data.qel");
        setUpLines_ = log().size();
    }

    // The lines logged since the file system started.
    std::vector<std::string> soundLog() const
    {
        const std::vector<std::string> lines = log();
        return {lines.begin() + static_cast<std::ptrdiff_t>(setUpLines_), lines.end()};
    }

    std::unique_ptr<SoundSystem> start(int sound = 1, audio::SampleSink sink = {})
    {
        auto system =
            std::make_unique<SoundSystem>(fileSystem_, Host::offscreen(counter_, {}, std::move(sink)));
        DemoSettings settings;
        settings.sound = sound;
        EXPECT_TRUE(system->init(settings));
        return system;
    }

    // The commands the engine gives a sound system; none may crash, whether it started or not.
    static void commandEverything(SoundSystem& sound)
    {
        const std::uint32_t music = sound.createStream("Data\\music.mp3", true);
        sound.play(music, true);
        sound.setPosition(music, 1.0f);
        sound.pump(735);
        sound.freeStream(music);
    }

    // `lines`, then the sound system's shutdown.
    static std::vector<std::string> withShutdown(std::vector<std::string> lines)
    {
        lines.insert(lines.end(),
                     {"ORB_INFO: SoundSystem Shutdown ...", "ORB_INFO: SoundSystem Shutdown Done"});
        return lines;
    }

    win::SteppedCounter counter_{1000};
    FileSystem fileSystem_;
    std::size_t setUpLines_ = 0;
};

TEST_F(SoundSystemTest, AnOutdatedLibraryFailsTheStartBeforeAnyOutputOpens)
{
    Host host = Host::player();
    host.soundLibrary.upToDate = [] { return false; };
    host.soundLibrary.openDevice = [](audio::Mixer&, std::string*) -> std::unique_ptr<audio::Output> {
        ADD_FAILURE() << "an output was opened";
        return nullptr;
    };
    {
        SoundSystem sound(fileSystem_, host);
        EXPECT_FALSE(sound.init(DemoSettings{}));
        commandEverything(sound);
    }
    EXPECT_EQ(soundLog(), withShutdown({"ORB_INFO: SoundSystem Init ... (44100,1,00000000)",
                                        "ORB_ERROR: BASS_GetVersion failed"}));
}

TEST_F(SoundSystemTest, AnOutputThatCannotOpenFailsTheStartWithItsReason)
{
    Host host = Host::player();
    host.soundLibrary.openDevice = [](audio::Mixer&, std::string* error) -> std::unique_ptr<audio::Output> {
        *error = "no sound card";
        return nullptr;
    };
    {
        SoundSystem sound(fileSystem_, host);
        EXPECT_FALSE(sound.init(DemoSettings{}));
        commandEverything(sound);
    }
    EXPECT_EQ(soundLog(), withShutdown({"ORB_INFO: SoundSystem Init ... (44100,1,00000000)",
                                        "ORB_ERROR: BASS_Init failed", "\tno sound card"}));
}

TEST_F(SoundSystemTest, ASystemNeverStartedTakesCommandsAndLogsOnlyItsShutdown)
{
    {
        SoundSystem sound(fileSystem_, Host::offscreen(counter_));
        commandEverything(sound);
    }
    EXPECT_EQ(soundLog(), withShutdown({}));
}

TEST_F(SoundSystemTest, PlaysAndMovesStreamsAndReportsBadHandles)
{
    auto sound = start();
    const std::uint32_t music = sound->createStream("Data\\music.mp3", false);
    ASSERT_NE(music, 0u);
    sound->play(music, true);
    sound->setPosition(music, 1.0f);
    EXPECT_EQ(sound->mixer().currentPosition(music), 44100u);

    sound->play(0, true);
    sound->setPosition(0, 1.0f);
    sound->freeStream(music);
    sound->play(music, false);
    const std::vector<std::string> lines = log();
    EXPECT_EQ(
        std::vector<std::string>(lines.end() - 3, lines.end()),
        (std::vector<std::string>{"ORB_ERROR: invalid stream id '0'", "ORB_ERROR: invalid stream id '0'",
                                  "ORB_ERROR: invalid stream id '" + std::to_string(music) + "'"}));
}

TEST_F(SoundSystemTest, ATimeBeforeTheStartMovesAStreamToItsStart)
{
    auto sound = start();
    const std::uint32_t music = sound->createStream("Data\\music.mp3", false);
    sound->setPosition(music, 1.0f);
    sound->setPosition(music, -0.5f);
    EXPECT_EQ(sound->mixer().currentPosition(music), 0u);
    EXPECT_FALSE(logged("ORB_ERROR: invalid stream id '" + std::to_string(music) + "'"));

    sound->setPosition(music + 1, -0.5f);
    EXPECT_EQ(log().back(), "ORB_ERROR: invalid stream id '" + std::to_string(music + 1) + "'");
}

TEST_F(SoundSystemTest, AFileThatIsNotMpegAudioMakesNoStream)
{
    auto sound = start();
    EXPECT_EQ(sound->createStream("Data\\junk.mp3", false), 0u);
    EXPECT_EQ(sound->createStream("Data\\missing.mp3", false), 0u);
    const std::vector<std::string> lines = log();
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "ORB_ERROR: BASS_StreamCreateFile failed for 'Data\\junk.mp3'"),
        lines.end());
    EXPECT_EQ(lines.back(), "ORB_ERROR: BASS_StreamCreateFile failed for 'Data\\missing.mp3'");
}

TEST_F(SoundSystemTest, ReusesAFreedSlotAndClosesAFileWhenItsLastStreamGoes)
{
    auto sound = start();
    const std::uint32_t first = sound->createStream("Data\\music.mp3", false);
    const std::uint32_t second = sound->createStream("Data\\music.mp3", true);
    const std::uint32_t other = sound->createStream("Data\\other.mp3", false);
    ASSERT_TRUE(first != 0 && second != 0 && other != 0);

    sound->freeStream(first);
    EXPECT_NE(fileSystem_.fileData("Data\\music.mp3"), nullptr) << "the second stream still plays the file";
    const std::uint32_t again = sound->createStream("Data\\other.mp3", false);
    EXPECT_NE(again, first) << "handles are never reused";
    EXPECT_EQ(sound->streamSlots(), 3u) << "the new stream took the freed slot";
    sound->freeStream(second);
    EXPECT_EQ(fileSystem_.fileData("Data\\music.mp3"), nullptr) << "closed with its last stream";

    sound->freeAllStreams();
    EXPECT_EQ(fileSystem_.fileData("Data\\other.mp3"), nullptr);
    sound->play(again, true);
    EXPECT_EQ(log().back(), "ORB_ERROR: invalid stream id '" + std::to_string(again) + "'");
}

TEST_F(SoundSystemTest, TheSilentOutputMixesIntoTheHostsSinkAtTheGlobalVolume)
{
    const std::vector<float> decoded = audio::test::decodeAll(audio::test::sweepMp3());
    for (const int soundOn : {1, 0}) {
        std::vector<float> received;
        auto sound = start(soundOn, [&received](const float* samples, std::size_t frames) {
            received.insert(received.end(), samples, samples + frames * audio::Channels);
        });
        const std::uint32_t music = sound->createStream("Data\\music.mp3", false);
        sound->play(music, true);
        sound->pump(4410);
        EXPECT_EQ(sound->mixer().currentPosition(music), 4410u) << "muted music plays on";
        const std::vector<float> heard = soundOn
                                             ? std::vector<float>(decoded.begin(), decoded.begin() + 4410 * 2)
                                             : std::vector<float>(4410 * 2, 0.0f);
        EXPECT_TRUE(received == heard) << "sound " << soundOn;
    }
}

TEST_F(SoundSystemTest, TheDeviceOutputLogsOnlyItsOwnLinesAroundPlayMoveAndFree)
{
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    {
        Host host = Host::player();
        SoundSystem sound(fileSystem_, host);
        DemoSettings settings;
        ASSERT_TRUE(sound.init(settings));
        const std::uint32_t music = sound.createStream("Data\\music.mp3", true);
        sound.play(music, true);
        sound.setPosition(music, 2.0f);
        sound.freeStream(music);
    }
    const std::vector<std::string> lines = log();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{
                  "ORB_INFO: SoundSystem Init ... (44100,1,00000000)", "ORB_INFO: SoundSystem Init Done",
                  "ORB_INFO: SoundSystem Shutdown ...", "ORB_INFO: SoundSystem Shutdown Done"}));
}

using MusicTest = ScriptTest;

TEST_F(MusicTest, TheMusicIsMadeWhileLoadingAndRestartsWithTheClock)
{
    writeFile("Data/velmora.mp3", mp3());
    ASSERT_TRUE(loadDemo("<demo><init><resources/></init><main length=\"60\"/></demo>"));
    const std::uint32_t music = demo_->musicStream();
    ASSERT_NE(music, 0u);
    const float seek = 1.5f;
    demo_->frame(0, &seek);
    EXPECT_EQ(demo_->soundSystem()->mixer().currentPosition(music), 66150u)
        << "played from the start, then moved";
}

} // namespace
} // namespace orb::test
