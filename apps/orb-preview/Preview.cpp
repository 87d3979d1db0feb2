#include "Preview.h"

#include "Application.h"
#include "GraphicSystem.h"
#include "Panels.h"

#include <utility>

namespace orb::preview {

Preview::Preview(const Host& host, int width, int height)
    : demo_(std::make_unique<DemoSystem>(host)), transport_(*demo_),
      reloader_(*demo_, transport_, notes_, host.dataDirectory), panels_(makePanels(*demo_, width, height))
{
    settings_.width = width;
    settings_.height = height;
    settings_.aspectRatio = static_cast<float>(width) / static_cast<float>(height);
    settings_.multisampleType = 0;
    settings_.fullscreen = 0;
    settings_.loopDemo = 1;
    settings_.scriptPath = nullptr; // loaded by the reloader, so that start and reload are one path
}

Preview::~Preview()
{
    demo_->setFrameOverlay(nullptr);
}

bool Preview::start()
{
    if (!reloader_.watch() || !demo_->init(settings_))
        return false;
    demo_->setFrameOverlay(this);
    gui_ = Gui::create(demo_->graphicSystem()->device()->backend(), [this] {
        for (const std::unique_ptr<Panel>& panel : panels_)
            panel->drawInWindow(shown_);
    });
    showPanels(true);
    reloader_.load();
    gatherShownFrame();
    return true;
}

void Preview::frame()
{
    reloader_.takeInChanges();
    if (gui_ && panelsShown_) {
        gui_->beginFrame();
        for (const std::unique_ptr<Panel>& panel : panels_)
            panel->interact(transport_);
    }
    if (transport_.loaded())
        playFrame();
    else
        drawAlone();
    if (gui_)
        gui_->endFrame();
    reloader_.reportShown();
}

void Preview::playFrame()
{
    gfx::PassTimer* timer = demo_->graphicSystem()->device()->passTimer();
    if (timer != nullptr)
        timer->startFrame();
    timing_ = timer != nullptr;
    transport_.playFrame();
    if (std::exchange(timing_, false))
        timer->endFrame(); // a frame that drew nothing costs nothing to show
}

void Preview::press(int key)
{
    switch (key) {
    case win::KeySpace:
        transport_.togglePause();
        break;
    case win::KeyLeft:
        transport_.stepBars(-1);
        break;
    case win::KeyRight:
        transport_.stepBars(1);
        break;
    case win::KeyPageUp:
        transport_.previousScene();
        break;
    case win::KeyPageDown:
        transport_.nextScene();
        break;
    case win::KeyHome:
        transport_.seekTo(0.0f);
        break;
    case win::KeyF:
        if (demo_->graphicSystem()->device()->backend().setFullscreen(!fullscreen_))
            fullscreen_ = !fullscreen_;
        break;
    case win::KeyTab:
        showPanels(!panelsShown_);
        break;
    case win::KeyL:
        notes_.add(transport_.markLoop());
        break;
    case win::KeyComma:
        transport_.stepFrames(-1);
        break;
    case win::KeyPeriod:
        transport_.stepFrames(1);
        break;
    default:
        break;
    }
}

void Preview::showPanels(bool shown)
{
    panelsShown_ = shown;
    // Timing every pass waits for the rasteriser at each: only while the costs are shown.
    demo_->graphicSystem()->device()->setPassTiming(shown);
}

std::vector<std::string> Preview::messages() const
{
    std::vector<std::string> texts;
    for (const Message& message : shownMessages())
        texts.push_back(message.text);
    return texts;
}

std::vector<Message> Preview::shownMessages() const
{
    std::vector<Message> shown;
    for (std::string& error : reloader_.errors())
        shown.push_back({std::move(error), true});
    if (const std::string* note = notes_.shown())
        shown.push_back({*note, false});
    return shown;
}

// Once a frame, after the demo drew it: what every panel shows of it.
void Preview::gatherShownFrame()
{
    const float time = transport_.time();
    const app::SceneSpan* scene = app::sceneAt(transport_.scenes(), time);
    shown_.time = time;
    shown_.position = barAndBeatAt(time);
    shown_.paused = transport_.paused();
    shown_.held = transport_.held();
    shown_.scenes = &transport_.scenes();
    shown_.scene = scene != nullptr ? scene->name : std::string();
    shown_.loop = transport_.loop();
    shown_.values = panelsShown_ ? liveValues(scene != nullptr ? scene->op : nullptr, *demo_->graphicSystem())
                                 : std::vector<EffectValues>{};
    shown_.costs = &costs_.tally();
    shown_.waveform = &reloader_.waveform();
    shown_.messages = shownMessages();
    shown_.panelsShown = panelsShown_;
}

void Preview::drawOverPicture()
{
    gatherShownFrame();
    for (const std::unique_ptr<Panel>& panel : panels_)
        panel->drawOverPicture(shown_);
}

void Preview::draw()
{
    if (std::exchange(timing_, false))
        costs_.add(demo_->graphicSystem()->device()->passTimer()->endFrame(), PassCosts::Clock::now());
    drawOverPicture();
}

// Without a demo the frame shows only what the overlay says.
void Preview::drawAlone()
{
    GraphicSystem& graphics = *demo_->graphicSystem();
    graphics.beginScene();
    graphics.device()->clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer | gfx::ClearFlag::Stencil, 0,
                             1.0f, 0);
    drawOverPicture();
    graphics.endSceneAndPresent();
}

bool takeMessages(win::MessageQueue& queue, Preview& preview)
{
    win::Message message;
    while (queue.peek(message)) {
        if (Application::endsTheLoop(message) || message.kind == win::MessageKind::CloseRequest)
            return false;
        if (message.kind == win::MessageKind::KeyDown) {
            if (message.key == win::KeyEscape)
                return false;
            preview.press(message.key);
        }
    }
    return true;
}

} // namespace orb::preview
