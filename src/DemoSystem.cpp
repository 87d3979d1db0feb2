#include "DemoSystem.h"

#include "IResource.h"
#include "LogFile.h"
#include "Operators/DefaultLoadingScene.h"
#include "Operators/IOperator.h"
#include "ScriptValues.h"
#include "platform/win/QuitRequests.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace orb {

namespace {

// TinyXML 2.6 can step a few bytes past the end of broken text (a multi-byte name cut short):
// zero bytes after the text keep those reads inside the buffer and stop them there.
constexpr std::size_t ParserSlack = 16;

// The script's text up to its first zero byte, with CR LF and lone CR turned into LF, followed
// by ParserSlack zero bytes.
std::string normalisedText(const char* data, std::uint32_t size)
{
    std::string text;
    text.reserve(size + ParserSlack);
    for (std::uint32_t i = 0; i < size && data[i] != '\0'; ++i) {
        if (data[i] != '\r')
            text += data[i];
        else if (i + 1 == size || data[i + 1] != '\n')
            text += '\n';
    }
    text.append(ParserSlack, '\0');
    return text;
}

} // namespace

DemoSystem::DemoSystem(const Host& host)
    : fileSystem_(std::make_unique<FileSystem>()),
      graphicSystem_(std::make_unique<GraphicSystem>(*fileSystem_, host)),
      soundSystem_(std::make_unique<SoundSystem>(*fileSystem_, host)),
      resourceManager_(std::make_unique<ResourceManager>(*this)),
      operatorManager_(std::make_unique<OperatorManager>(*this)), dataDirectory_(host.dataDirectory),
      keepLoading_(host.keepLoading), counter_(host.counter), clock_(host.counter),
      soundSync_(std::make_unique<SoundSync>(host.counter, *soundSystem_))
{}

DemoSystem::~DemoSystem()
{
    soundSync_.reset(); // its last word on the sync belongs to the demo, not to the shutdown
    ORB_INFO("DemoSystem Shutdown ...");
    graphicSystem_.reset();
    soundSystem_.reset();
    fileSystem_.reset();
    script_.reset();
    resourceManager_.reset();
    operatorManager_.reset();
    initElement_ = nullptr;
    mainElement_ = nullptr;
    ORB_INFO("DemoSystem Shutdown Done");
    for (const auto& scene : ownedScenes_)
        scene->detach();
}

bool DemoSystem::init(DemoSettings& settings)
{
    ORB_INFO("DemoSystem Init ...");
    loop_ = settings.loopDemo != 0;
    const bool filesReady =
        dataDirectory_.empty() ? fileSystem_->init("Data.qel") : fileSystem_->initDirectory(dataDirectory_);
    if (!filesReady) {
        ORB_ERROR("failed to init filesystem. aborting ...");
        return false;
    }
    if (!graphicSystem_->init(settings)) {
        ORB_ERROR("failed to init graphicsystem. aborting ...");
        return false;
    }
    if (!soundSystem_->init(settings)) {
        ORB_ERROR("failed to init soundsystem. aborting ...");
        return false;
    }
    startSoundSync(settings.soundOffset);
    float length = 0.0f;
    if (settings.scriptPath != nullptr) {
        if (!loadScript(settings.scriptPath)) {
            ORB_ERROR("failed to load demo script '" << settings.scriptPath << "'. aborting ...");
            return false;
        }
        if (!initPlugins()) {
            ORB_ERROR("failed to initialize plugins. aborting ...");
            return false;
        }
        if (!loadDemo()) {
            if (!loadingStopped_)
                ORB_ERROR("failed to load demo. aborting ...");
            return false;
        }
        length = floatAttribute(*mainElement_, "length");
    }
    clock_.start(length, loop_);
    if (!createFonts())
        return false;
    prepareText();
    ORB_INFO("DemoSystem Init Done");
    return true;
}

bool DemoSystem::loadScript(const char* path)
{
    script_ = std::make_unique<TiXmlDocument>();
    initElement_ = nullptr;
    mainElement_ = nullptr;
    if (!fileSystem_->open(path))
        return false;
    const std::string text = normalisedText(fileSystem_->fileData(path), fileSystem_->fileSize(path));
    // Closed before parsing: a script read from disk is read afresh next time, even a broken one.
    fileSystem_->close(path);
    script_->Parse(text.c_str());
    if (script_->Error()) {
        ORB_ERROR("while parsing '" << path << "'");
        return false;
    }
    const TiXmlElement* demo = script_->FirstChildElement("demo");
    if (demo == nullptr) {
        ORB_ERROR("cant find XML element 'demo'");
        return false;
    }
    initElement_ = demo->FirstChildElement("init");
    mainElement_ = demo->FirstChildElement("main");
    if (initElement_ == nullptr) {
        ORB_ERROR("cant find XML element 'init'");
        return false;
    }
    if (mainElement_ == nullptr) {
        ORB_ERROR("cant find XML element 'main'");
        return false;
    }
    return true;
}

DemoSystem::ScriptReload DemoSystem::reloadScript(const char* path)
{
    ORB_INFO("DemoSystem Reload ... (" << path << ")");
    std::unique_ptr<TiXmlDocument> previous = std::move(script_);
    const TiXmlElement* const previousInit = initElement_;
    const TiXmlElement* const previousMain = mainElement_;
    if (!loadScript(path)) {
        script_ = std::move(previous);
        initElement_ = previousInit;
        mainElement_ = previousMain;
        ORB_ERROR("failed to load demo script '" << path << "'. the demo stays as it was");
        return ScriptReload::Refused;
    }
    unloadDemo();
    if (!loadDemo(LoadingScreen::Skipped)) {
        ORB_ERROR("failed to load demo");
        return ScriptReload::Failed;
    }
    clock_.start(floatAttribute(*mainElement_, "length"), loop_, clock_.time());
    prepareText();
    ORB_INFO("DemoSystem Reload Done");
    return ScriptReload::Reloaded;
}

void DemoSystem::unloadDemo()
{
    soundSystem_->freeStream(musicStream_);
    musicStream_ = 0;
    ownedScenes_.clear();
    operatorManager_.reset();
    operatorManager_ = std::make_unique<OperatorManager>(*this);
    resourceManager_.reset();
    resourceManager_ = std::make_unique<ResourceManager>(*this);
}

void DemoSystem::readScenes()
{
    for (const TiXmlElement* element = mainElement_->FirstChildElement("scene"); element != nullptr;
         element = element->NextSiblingElement("scene")) {
        ownedScenes_.push_back(
            std::make_unique<Scene>(*this, static_cast<std::uint32_t>(intAttribute(*element, "id"))));
        ownedScenes_.back()->read(*element);
    }
}

bool DemoSystem::loadDemo(LoadingScreen loadingScreen)
{
    loadingStopped_ = false;
    if (!resourceManager_->createResources(*initElement_)) {
        ORB_ERROR("failed creating resources");
        return false;
    }
    readScenes();
    loading_ = {0, operatorManager_->operatorCount() + 1};
    const bool progressBar =
        loadingScreen == LoadingScreen::AsScripted && intAttribute(*initElement_, "progressBar") != 0;
    Scene* loadingScene = progressBar ? chooseLoadingScene() : nullptr;
    const auto drawProgress = [&] {
        if (loadingScene != nullptr) {
            const double duration = loadingScene->end() - loadingScene->start();
            showLoading(*loadingScene, static_cast<float>(duration * loading_.done / loading_.total));
        }
    };
    if (gfx::Device* device = graphicSystem_->device())
        device->setRenderState(gfx::RenderState::BlendFactor, 0);
    drawProgress();

    musicStream_ = soundSystem_->createStream(MusicPath, loop_);
    ++loading_.done;
    drawProgress();
    std::uint32_t cursor = 0;
    while (IOperator* op = operatorManager_->nextOperator(cursor)) {
        if (loadingStopped_)
            return stopLoading();
        if (!op->init()) {
            ORB_ERROR("Failed to initialize operator " << op->typeName());
            return false;
        }
        ++loading_.done;
        drawProgress();
    }

    // Without a device nothing is shown, and nothing presents a frame to move a stepped clock.
    const float fadeout = loadingScene != nullptr ? fadeoutSeconds() : 0.0f;
    if (fadeout > 0.0f && graphicSystem_->device() != nullptr && !loadingStopped_) {
        ORB_INFO("loaded; the loading screen fades out over " << fadeout << " s");
        fadeOut(*loadingScene, fadeout);
        std::erase_if(ownedScenes_,
                      [](const auto& scene) { return dynamic_cast<DefaultLoadingScene*>(scene.get()); });
    }
    return loadingStopped_ ? stopLoading() : true;
}

bool DemoSystem::stopLoading()
{
    ORB_INFO("loading stopped: " << (win::displayLost() ? "the display has gone away" : "the viewer quit"));
    return false;
}

Scene* DemoSystem::chooseLoadingScene()
{
    const int id = intAttribute(*initElement_, "scene");
    if (id > 0) {
        if (Scene* scene = scenes_.find(static_cast<std::uint32_t>(id)))
            return scene;
        ORB_ERROR("invalid scene id for loading scene");
    }
    ownedScenes_.push_back(std::make_unique<DefaultLoadingScene>(*this, IdTable<Scene>::AnyId));
    return ownedScenes_.back().get();
}

// A script scene only draws: it is framed and presented here, so that it is seen, and so that
// every loading picture moves a clock that steps with the pictures. After each the host may stop
// the loading.
void DemoSystem::showLoading(Scene& loadingScene, float time)
{
    if (loadingScene.presentsItself()) {
        loadingScene.process(time, false);
    } else {
        graphicSystem_->beginScene();
        loadingScene.process(time, false);
        graphicSystem_->endSceneAndPresent();
    }
    if (keepLoading_ && !keepLoading_())
        loadingStopped_ = true;
}

// The script's fade length; one that would not end in reasonable time is refused.
float DemoSystem::fadeoutSeconds() const
{
    constexpr float LongestFade = 60.0f;
    const float seconds = floatAttribute(*initElement_, "fadeout");
    if (std::isnan(seconds) || seconds > LongestFade) {
        ORB_ERROR("invalid fadeout '" << textAttribute(*initElement_, "fadeout") << "': at most "
                                      << LongestFade << " seconds, no fade");
        return 0.0f;
    }
    return seconds;
}

// The loading screen darkens quadratically to black over `seconds` of the real clock.
void DemoSystem::fadeOut(Scene& loadingScene, float seconds)
{
    gfx::Device& device = *graphicSystem_->device();
    const double duration = loadingScene.end() - loadingScene.start();
    const std::int64_t start = counter_.now();
    const std::int64_t frequency = counter_.frequency();
    for (double a = 0.0; a < 1.0 && !loadingStopped_;) {
        a = (static_cast<double>(counter_.now() - start) / static_cast<double>(frequency)) / seconds;
        // Clamped before the conversion: a tiny fade makes a * a overflow to infinity.
        const auto level = static_cast<std::uint32_t>(std::min(a * a * 255.0, 255.0));
        device.setRenderState(gfx::RenderState::BlendFactor, level * 0x010101);
        device.setRenderState(gfx::RenderState::SrcBlend, gfx::Blend::InvBlendFactor);
        device.setRenderState(gfx::RenderState::DestBlend, gfx::Blend::Zero);
        device.setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
        showLoading(loadingScene, static_cast<float>(duration));
        device.setRenderState(gfx::RenderState::AlphaBlendEnable, 0);
    }
}

// Fonts exist only after the fade; the operators' texts are drawn once now, before the first frame.
void DemoSystem::prepareText()
{
    std::uint32_t cursor = 0;
    while (IOperator* op = operatorManager_->nextOperator(cursor))
        op->prepareText();
}

bool DemoSystem::createFonts()
{
    const char* const fontFile = "Data\\VistaSanAltRegIta.ttf";
    if (!fileSystem_->open(fontFile))
        return false;
    if (fx::registerFontMemory(fileSystem_->fileData(fontFile), fileSystem_->fileSize(fontFile)) == 0) {
        ORB_ERROR("couldnt add font '" << fontFile << "'");
        return false;
    }
    fileSystem_->close(fontFile);
    if (gfx::Device* device = graphicSystem_->device()) {
        font64_ = fx::Font::create(*device, 64, "VistaSansAltRegIta", nullptr);
        font96_ = fx::Font::create(*device, 96, "VistaSansAltRegIta", nullptr);
        font144_ = fx::Font::create(*device, 144, "VistaSansAltRegIta", nullptr);
        font16_ = fx::Font::create(*device, 16, "Arial", nullptr);
    }
    return true;
}

bool DemoSystem::frame(std::uint32_t sceneId, const float* seekTime)
{
    const DemoClock::Tick tick = clock_.tick(seekTime);
    if (tick.restarted) {
        if (!clock_.paused())
            soundSystem_->play(musicStream_, true);
        soundSystem_->setPosition(musicStream_, clock_.time());
    }
    soundSync_->follow(clock_, musicStream_);
    if (tick.step == DemoClock::Step::End)
        return false;
    if (tick.step == DemoClock::Step::Loop) {
        ORB_INFO("DemoSystem Looping Demo");
        return true;
    }

    graphicSystem_->beginScene();
    if (Scene* scene = scenes_.find(sceneId))
        scene->process(clock_.time(), seekTime != nullptr);
    else
        ORB_ERROR("invalid scene id '" << sceneId << "'");
    if (frameOverlay_ != nullptr)
        frameOverlay_->draw();
    graphicSystem_->endSceneAndPresent();
    soundSync_->framePresented(clock_.lastTick(), counter_.now());
    return true;
}

void DemoSystem::setPaused(bool paused)
{
    if (paused) {
        clock_.setPaused(true);
        soundSystem_->pause(musicStream_);
        return;
    }
    clock_.resume();
    soundSystem_->setPosition(musicStream_, clock_.time());
    soundSystem_->play(musicStream_, false);
}

// A restarted music is heard only after the output's latency: the clock waits as long.
void DemoSystem::startSoundSync(int offsetMs)
{
    soundSync_->setOffset(offsetMs / 1000.0);
    clock_.setStartDelay(soundSync_->startDelay());
}

bool DemoSystem::registerScene(Scene* scene, std::uint32_t id)
{
    if (scenes_.enter(scene, id))
        return true;
    ORB_ERROR(scenes_.refusal(id));
    return false;
}

void DemoSystem::unregisterScene(std::uint32_t id)
{
    if (!scenes_.remove(id))
        ORB_ERROR(scenes_.invalidId(id));
}

void DemoSystem::writeScript(std::ostream& stream) const
{
    stream << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<demo>\n";
    stream << "<init";
    if (initElement_ != nullptr)
        stream << attribute("progressBar", intAttribute(*initElement_, "progressBar"))
               << attribute("scene", intAttribute(*initElement_, "scene"))
               << attribute("fadeout", floatAttribute(*initElement_, "fadeout"));
    stream << ">\n<plugins>\n</plugins>\n<resources>\n";
    std::uint32_t cursor = 0;
    while (const IResource* resource = resourceManager_->nextResource(cursor))
        resource->write(stream);
    stream << "</resources>\n</init>\n";
    if (mainElement_ == nullptr) {
        stream << "<main length=\"0.0\">\n</main>\n</demo>\n";
        return;
    }
    stream << "<main" << attribute("length", floatAttribute(*mainElement_, "length")) << ">\n";
    cursor = 0;
    while (const Scene* scene = scenes_.next(cursor)) {
        if (dynamic_cast<const DefaultLoadingScene*>(scene) == nullptr) // built in, not the script's
            scene->write(stream);
    }
    stream << "</main>\n</demo>\n";
}

} // namespace orb
