#include "DemoSystem.h"

#include "Application.h"
#include "TestSupport.h"

#include <SDL.h>
#include <utility>

namespace orb::test {
namespace {

class RecordingScene final : public Scene
{
public:
    using Scene::Scene;
    void process(float time, bool seek) override { calls.emplace_back(time, seek); }
    std::vector<std::pair<float, bool>> calls;
};

// The start-up lines up to the graphics system's first two, for the default settings off-screen.
const std::vector<std::string> StartOfInit = {
    "ORB_INFO: DemoSystem Init ...",
    "ORB_INFO: FileSystem Init ... (Data.qel)",
    "ORB_INFO: FileSystem Init Done",
    "ORB_INFO: GraphicSystem Init ... (1280,720,0,4,1,00000000,00000000)",
    "ORB_INFO: drawing off-screen on EGL's device platform",
};

std::vector<std::string> operator+(std::vector<std::string> first, const std::vector<std::string>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

class DemoSystemTest : public LoggedTest
{
protected:
    win::SteppedCounter counter_{1000};
    std::unique_ptr<DemoSystem> demo_ = std::make_unique<DemoSystem>(Host::offscreen(counter_));
};

TEST_F(DemoSystemTest, ScenesTakeIdsByTheIdRuleAndAnOccupiedIdIsRefused)
{
    RecordingScene first(*demo_, 0xFFFFFFFF);
    EXPECT_EQ(first.id(), 0u);
    {
        RecordingScene second(*demo_, 0);
        EXPECT_EQ(second.id(), 0xFFFFFFFFu);
    }
    const float seek = 0.0f;
    demo_->frame(0, &seek);
    EXPECT_EQ(first.calls.size(), 1u) << "the first scene keeps id 0";
    EXPECT_EQ(log(), (std::vector<std::string>{
                         "ORB_ERROR: occupied scene id '0'", "ORB_ERROR: invalid scene id '4294967295'",
                         "ORB_ERROR: invalid stream id '0'", "ORB_ERROR: invalid stream id '0'"}))
        << "without a music stream, restarting it fails";
}

TEST_F(DemoSystemTest, FrameDrawsSceneZeroAtTheClockTimeUntilTheDemoIsOver)
{
    RecordingScene scene(*demo_, 0);
    const float seek = 0.0f;
    EXPECT_TRUE(demo_->frame(0, &seek));
    ASSERT_EQ(scene.calls.size(), 1u);
    EXPECT_EQ(scene.calls[0], std::make_pair(0.0f, true));

    counter_.advance(10); // past the length of a demo that has none
    EXPECT_FALSE(demo_->frame(0, nullptr));
    EXPECT_EQ(scene.calls.size(), 1u);
}

TEST_F(DemoSystemTest, FrameLogsASceneIdThatNamesNoScene)
{
    const float seek = 0.0f;
    EXPECT_TRUE(demo_->frame(0, &seek));
    EXPECT_EQ(log(), (std::vector<std::string>{"ORB_ERROR: invalid stream id '0'",
                                               "ORB_ERROR: invalid stream id '0'",
                                               "ORB_ERROR: invalid scene id '0'"}));
}

TEST_F(DemoSystemTest, AFailedStartStopsAtTheFailingSubsystemAndShutsDownInOrder)
{
    std::filesystem::create_directory("Data.qel");
    DemoSettings settings;
    EXPECT_FALSE(demo_->init(settings));
    demo_.reset();
    EXPECT_EQ(log(),
              withDemoShutdown(StartOfInit + std::vector<std::string>{
                                                 "ORB_ERROR: failed opening file 'Data\\Downsample4x4.fx'",
                                                 "ORB_ERROR: failed to init graphicsystem. aborting ...",
                                             }));
}

TEST_F(DemoSystemTest, AScriptWithoutMainStopsStartUpAfterTheSubsystemsAndShutsDownInOrder)
{
    std::filesystem::create_directories("Data.qel");
    std::filesystem::copy(std::filesystem::path(ORB_SOURCE_DIR) / "data" / "Data", "Data",
                          std::filesystem::copy_options::recursive);
    writeFile("Data/DemoScript.xml", "<demo><init><resources/></init></demo>");
    DemoSettings settings;
    settings.scriptPath = "Data\\DemoScript.xml";
    EXPECT_FALSE(demo_->init(settings));
    demo_.reset();
    EXPECT_EQ(log(), withDemoShutdown(
                         StartOfInit +
                         std::vector<std::string>{
                             "ORB_INFO: GraphicSystem Init Done",
                             "ORB_INFO: SoundSystem Init ... (44100,1,00000000)",
                             "ORB_INFO: SoundSystem Init Done",
                             "ORB_ERROR: cant find XML element 'main'",
                             "ORB_ERROR: failed to load demo script 'Data\\DemoScript.xml'. aborting ...",
                         }));
}

class MessageLoopTest : public LoggedTest
{
protected:
    static void pushKeyDown(std::uint32_t windowId, SDL_Keycode key)
    {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.windowID = windowId;
        event.key.keysym.sym = key;
        SDL_PushEvent(&event);
    }

    // Keeps SDL's event queue alive across the application's own message loop.
    win::MessageQueue queue_;
    win::SteppedCounter counter_{1000};
};

TEST_F(MessageLoopTest, EscapeAndTheCloseBoxPostTheQuitMessageOtherKeysDoNot)
{
    win::Message message;
    Application::windowProcedure({win::MessageKind::KeyDown, 1, 'A'});
    EXPECT_FALSE(queue_.peek(message));

    Application::windowProcedure({win::MessageKind::KeyDown, 1, win::KeyEscape});
    ASSERT_TRUE(queue_.peek(message));
    EXPECT_EQ(message.kind, win::MessageKind::Quit);

    Application::windowProcedure({win::MessageKind::CloseRequest, 1, 0});
    ASSERT_TRUE(queue_.peek(message));
    EXPECT_EQ(message.kind, win::MessageKind::Quit);
}

TEST_F(MessageLoopTest, EscapeInTheWindowEndsTheLoopBeforeAnyFrame)
{
    Application application(Host{counter_});
    win::MessageQueue::setWindowProc(7, &Application::windowProcedure);
    pushKeyDown(7, SDLK_ESCAPE);
    application.messageLoop();
    EXPECT_FALSE(logged("ORB_ERROR: invalid scene id '0'"));

    win::Message message;
    EXPECT_FALSE(queue_.peek(message)) << "the quit message was taken by the loop";
}

} // namespace
} // namespace orb::test
