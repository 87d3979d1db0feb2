#pragma once

// DemoSystem -- owns every subsystem, starts them in order, runs the demo clock frame by frame
// and tears everything down in order.
//
//   DemoSystem demo(Host::player());
//   if (demo.init(settings))
//       while (demo.frame(0, nullptr)) {}     // the message loop does this between messages

#include "DemoClock.h"
#include "DemoSettings.h"
#include "FileSystem.h"
#include "GraphicSystem.h"
#include "Host.h"
#include "IdTable.h"
#include "OperatorManager.h"
#include "ResourceManager.h"
#include "Scene.h"
#include "SoundSync.h"
#include "SoundSystem.h"
#include "platform/fx/Font.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <tinyxml.h>
#include <vector>

namespace orb {

// Draws over every frame of the demo, after its scene and before the frame is shown.
class FrameOverlay
{
public:
    virtual ~FrameOverlay() = default;
    virtual void draw() = 0;
};

// Told about every operator that did its work in a frame (the off-screen renderer's statistics).
class OperatorObserver
{
public:
    virtual ~OperatorObserver() = default;
    virtual void ran(const IOperator& op) = 0;
};

// How far loading has come: the music, then every operator's init, counted as they finish.
struct LoadingProgress
{
    std::uint32_t done = 0, total = 0;
    // Everything is loaded: the last picture of the loading bar is the first to say so.
    bool complete() const { return total > 0 && done == total; }
};

class DemoSystem
{
public:
    explicit DemoSystem(const Host& host);
    ~DemoSystem();
    DemoSystem(const DemoSystem&) = delete;
    DemoSystem& operator=(const DemoSystem&) = delete;

    bool init(DemoSettings& settings);

    // One frame of the scene `sceneId`; a seek time jumps the clock there. False once the demo is over.
    bool frame(std::uint32_t sceneId, const float* seekTime);
    // Holds the clock and the music where they are, or lets both go on together from there.
    void setPaused(bool paused);
    bool paused() const { return clock_.paused(); }
    // The demo time of the last frame.
    float time() const { return clock_.time(); }

    enum class ScriptReload
    {
        Reloaded,
        Refused, // the script could not be read or parsed: the demo stays as it was
        Failed,  // the demo did not load and is left as far as it got
    };
    // Makes the demo again from the script at `path`, without its loading screen, keeping the
    // window, the sound output, the fonts and the time (the music goes on from there). Failures
    // are logged.
    ScriptReload reloadScript(const char* path);

    enum class LoadingScreen
    {
        AsScripted,
        Skipped,
    };

    // Start-up steps, in the order init runs them.
    bool loadScript(const char* path);
    bool initPlugins() { return true; }
    bool loadDemo(LoadingScreen loadingScreen = LoadingScreen::AsScripted);
    // Registers the title font and makes the four text fonts (without a device, none).
    bool createFonts();
    void prepareText();

    // The scene registered under `id`, or null.
    Scene* scene(std::uint32_t id) const { return scenes_.find(id); }
    bool registerScene(Scene* scene, std::uint32_t id);
    void unregisterScene(std::uint32_t id);

    // The loaded script as a whole document: its init settings, resources and scenes.
    void writeScript(std::ostream& stream) const;

    FileSystem* fileSystem() const { return fileSystem_.get(); }
    GraphicSystem* graphicSystem() const { return graphicSystem_.get(); }
    SoundSystem* soundSystem() const { return soundSystem_.get(); }
    ResourceManager* resourceManager() const { return resourceManager_.get(); }
    OperatorManager* operatorManager() const { return operatorManager_.get(); }

    // The production's script, and its music, streamed while the demo plays.
    static constexpr const char* ScriptPath = "Data\\DemoScript.xml";
    static constexpr const char* MusicPath = "Data\\velmora.mp3";
    std::uint32_t musicStream() const { return musicStream_; }
    const LoadingProgress& loadingProgress() const { return loading_; }
    // Whether the host's keepLoading stopped the last loading: init failed for no fault.
    bool loadingStopped() const { return loadingStopped_; }
    // The script's length in seconds once init has run.
    float length() const { return clock_.length(); }
    // The next frame starts the demo again at `time`, as the first frame starts it at 0 (not as a
    // seek): a render in parts starts each where the whole render's clock had got to.
    void restartAt(double time) { clock_.start(clock_.length(), loop_, time); }
    void setOperatorObserver(OperatorObserver* observer) { operatorObserver_ = observer; }
    void setFrameOverlay(FrameOverlay* overlay) { frameOverlay_ = overlay; }
    OperatorObserver* operatorObserver() const { return operatorObserver_; }
    // The fonts the scenes write with; null before init ends or when the face is unusable.
    fx::Font* font64() const { return font64_.get(); }
    fx::Font* font96() const { return font96_.get(); }
    fx::Font* font144() const { return font144_.get(); }
    fx::Font* font16() const { return font16_.get(); }

private:
    void startSoundSync(int offsetMs);
    // Drops what the script made: its scenes, operators, resources and music.
    void unloadDemo();
    void readScenes();
    Scene* chooseLoadingScene();
    void showLoading(Scene& loadingScene, float time);
    float fadeoutSeconds() const;
    void fadeOut(Scene& loadingScene, float seconds);
    bool stopLoading();

    std::unique_ptr<FileSystem> fileSystem_;
    std::unique_ptr<GraphicSystem> graphicSystem_;
    std::unique_ptr<SoundSystem> soundSystem_;
    std::unique_ptr<ResourceManager> resourceManager_;
    std::unique_ptr<OperatorManager> operatorManager_;
    IdTable<Scene> scenes_{"scene"};
    std::vector<std::unique_ptr<Scene>> ownedScenes_;
    std::unique_ptr<TiXmlDocument> script_;
    const TiXmlElement* initElement_ = nullptr;
    const TiXmlElement* mainElement_ = nullptr;
    std::uint32_t musicStream_ = 0;
    LoadingProgress loading_;
    std::unique_ptr<fx::Font> font64_, font96_, font144_, font16_;
    bool loop_ = false;
    OperatorObserver* operatorObserver_ = nullptr;
    FrameOverlay* frameOverlay_ = nullptr;
    std::string dataDirectory_;
    std::function<bool()> keepLoading_;
    bool loadingStopped_ = false;
    win::Counter& counter_;
    DemoClock clock_;
    std::unique_ptr<SoundSync> soundSync_;
};

} // namespace orb
