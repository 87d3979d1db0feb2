#include "Preview.h"

#include "Application.h"
#include "GraphicSystem.h"
#include "LogCapture.h"
#include "LogFile.h"
#include "platform/fx/Font.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <sstream>
#include <utility>

namespace orb::preview {

namespace {

constexpr const char* ScriptFile = "DemoScript.xml";
constexpr const char* ScriptPath = "Data\\DemoScript.xml";
constexpr const char* MusicFile = "velmora.mp3";
constexpr auto NoteShownFor = std::chrono::seconds(3);
constexpr std::size_t ErrorLinesShown = 4;
constexpr gfx::Color StatusColour = 0xFFFFFFFF;
constexpr gfx::Color ErrorColour = 0xFFFF7060;
constexpr gfx::Color NoteColour = 0xFFA0FFA0;

std::string dataName(const std::string& fileName)
{
    return "Data\\" + fileName;
}

// Besides effects, the files the script and its scenes load; other files (an editor's swap and
// backup files among them) are not the demo's.
bool readByTheDemo(const std::string& fileName)
{
    const std::string extension = std::filesystem::path(fileName).extension().string();
    return fileName == ScriptFile || extension == ".png" || extension == ".jpg" || extension == ".x" ||
           extension == ".mp3";
}

std::string firstLines(const std::string& text, std::size_t count)
{
    std::size_t end = std::string::npos;
    for (std::size_t line = 0, from = 0; line < count; ++line, from = end + 1) {
        end = text.find('\n', from);
        if (end == std::string::npos)
            break;
    }
    return text.substr(0, end);
}

} // namespace

Preview::Preview(const Host& host, int width, int height)
    : directory_(host.dataDirectory), demo_(std::make_unique<DemoSystem>(host))
{
    settings_.width = width;
    settings_.height = height;
    settings_.aspectRatio = static_cast<float>(width) / static_cast<float>(height);
    settings_.multisampleType = 0;
    settings_.fullscreen = 0;
    settings_.loopDemo = 1;
    settings_.scriptPath = nullptr; // loaded by reloadDemo, so that start and reload are one path
}

Preview::~Preview()
{
    demo_->setFrameOverlay(nullptr);
}

bool Preview::start()
{
    std::string error;
    watch_ = win::DirectoryWatch::open(directory_, &error);
    if (!watch_) {
        ORB_ERROR(error);
        return false;
    }
    if (!demo_->init(settings_))
        return false;
    demo_->setFrameOverlay(this);
    gui_ = Gui::create(demo_->graphicSystem()->device()->backend(), [this] { drawPanels(); });
    showPanels(true);
    reloadDemo();
    loadWaveform();
    return true;
}

void Preview::frame()
{
    takeInChanges();
    if (gui_ && panelsShown_) {
        gui_->beginFrame();
        const StripGesture gesture = interactWithStrip(view_);
        if (gesture.releasedAt)
            release(*gesture.releasedAt);
        else if (gesture.heldAt)
            hold(*gesture.heldAt);
    }
    if (loaded_)
        playFrame();
    else
        drawAlone();
    if (gui_)
        gui_->endFrame();
    reportShown();
}

void Preview::playFrame()
{
    const std::optional<float> seek = std::exchange(seek_, std::nullopt);
    if (seek && std::exchange(seekLogged_, false))
        logSeek(*seek);
    gfx::PassTimer* timer = demo_->graphicSystem()->device()->passTimer();
    if (timer != nullptr)
        timer->startFrame();
    timing_ = timer != nullptr;
    const float before = demo_->time();
    demo_->frame(0, seek ? &*seek : nullptr);
    if (std::exchange(timing_, false))
        timer->endFrame(); // a frame that drew nothing costs nothing to show
    if (std::exchange(playAfterSeek_, false))
        demo_->setPaused(false);
    const float now = demo_->time();
    if (!heldWhilePaused_)
        view_.follow(now);
    // Playing on to or past the loop's end (marked where it stands, or reached).
    if (!seek && loop_ && loop_->end && before <= *loop_->end && now >= *loop_->end && now > before)
        seekTo(loop_->start);
}

void Preview::press(int key)
{
    switch (key) {
    case win::KeySpace:
        demo_->setPaused(!demo_->paused());
        break;
    case win::KeyLeft:
        seekBy(-barTime(1));
        break;
    case win::KeyRight:
        seekBy(barTime(1));
        break;
    case win::KeyPageUp:
        seekTo(previousSceneStart(spans_, targetTime()));
        break;
    case win::KeyPageDown:
        if (const std::optional<float> next = nextSceneStart(spans_, targetTime()))
            seekTo(*next);
        break;
    case win::KeyHome:
        seekTo(0.0f);
        break;
    case win::KeyF:
        if (demo_->graphicSystem()->device()->backend().setFullscreen(!fullscreen_))
            fullscreen_ = !fullscreen_;
        break;
    case win::KeyTab:
        showPanels(!panelsShown_);
        break;
    case win::KeyL:
        markLoop();
        break;
    default:
        break;
    }
}

void Preview::hold(float time)
{
    if (!loaded_)
        return;
    if (!heldWhilePaused_) {
        heldWhilePaused_ = demo_->paused();
        demo_->setPaused(true);
    }
    const float target = std::clamp(time, 0.0f, demo_->length());
    if (target != targetTime()) {
        seek_ = target;
        seekLogged_ = false;
    }
}

void Preview::release(float time)
{
    seekTo(time);
    playAfterSeek_ = heldWhilePaused_ && !*heldWhilePaused_;
    heldWhilePaused_.reset();
}

// First the loop's start, then its end; a third press loops the whole demo again.
void Preview::markLoop()
{
    const float time = targetTime();
    std::ostringstream text;
    text << std::fixed << std::setprecision(2);
    if (!loop_) {
        loop_ = Loop{time, std::nullopt};
        text << "loop from " << time << " s: L again at its end";
    } else if (!loop_->end && time != loop_->start) {
        const auto [start, end] = std::minmax(loop_->start, time);
        loop_ = Loop{start, end};
        text << "looping " << start << " s to " << end << " s";
    } else if (!loop_->end) {
        text << "the loop's end is where it starts: move on and press L again";
    } else {
        loop_.reset();
        text << "looping the whole demo";
    }
    note(text.str());
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

std::vector<Preview::Message> Preview::shownMessages() const
{
    std::vector<Message> shown;
    for (const auto& [file, error] : errors_)
        shown.push_back({firstLines(error, ErrorLinesShown), ErrorColour});
    if (!waveformError_.empty())
        shown.push_back({"no waveform of " + dataName(MusicFile) + ": " + waveformError_, ErrorColour});
    if (!note_.empty() && std::chrono::steady_clock::now() < noteShownUntil_)
        shown.push_back({note_, NoteColour});
    return shown;
}

void Preview::takeInChanges()
{
    std::vector<std::string> demoFiles;
    bool music = false;
    for (const std::string& name : watch_->changedFiles()) {
        music = music || name == MusicFile;
        const bool effect = std::filesystem::path(name).extension() == ".fx";
        if (effect && loaded_)
            reloadEffect(name);
        else if (effect || readByTheDemo(name))
            demoFiles.push_back(name);
    }
    if (demoFiles.empty())
        return;
    reloadDemo();
    if (music)
        loadWaveform();
    if (loaded_)
        awaitingShow_.insert(awaitingShow_.end(), demoFiles.begin(), demoFiles.end());
}

void Preview::reloadEffect(const std::string& name)
{
    const std::string file = dataName(name);
    LogCapture capture;
    switch (demo_->graphicSystem()->reloadEffect(file)) {
    case GraphicSystem::EffectReload::Unused:
        return;
    case GraphicSystem::EffectReload::Reloaded:
        errors_.erase(file);
        note(file + " reloaded");
        awaitingShow_.push_back(name);
        return;
    case GraphicSystem::EffectReload::Failed:
        errors_[file] = capture.errors();
        return;
    }
}

void Preview::reloadDemo()
{
    LogCapture capture;
    switch (demo_->reloadScript(ScriptPath)) {
    case DemoSystem::ScriptReload::Reloaded:
        loaded_ = true;
        errors_.clear();
        spans_ = demo_->scene(0) != nullptr ? sceneSpans(*demo_->scene(0)) : std::vector<SceneSpan>{};
        if (view_.length() != demo_->length())
            view_.setLength(demo_->length());
        note("demo loaded");
        return;
    case DemoSystem::ScriptReload::Refused:
        errors_[ScriptPath] = capture.errors();
        return;
    case DemoSystem::ScriptReload::Failed:
        loaded_ = false;
        spans_.clear(); // their operators are gone
        errors_.clear();
        errors_[ScriptPath] = capture.errors();
        return;
    }
}

// Decoded once per load of the music, not per frame or per reload of the script.
void Preview::loadWaveform()
{
    std::ifstream file(std::filesystem::path(directory_) / MusicFile, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    waveformError_.clear();
    waveform_ = file ? Waveform::decode(bytes.data(), bytes.size(), &waveformError_) : Waveform{};
    if (!file)
        waveformError_ = "the file cannot be read";
    if (!waveformError_.empty())
        ORB_ERROR("no waveform of " << dataName(MusicFile) << ": " << waveformError_);
}

float Preview::targetTime() const
{
    return seek_.value_or(demo_->time());
}

void Preview::seekTo(float time)
{
    seek_ = std::clamp(time, 0.0f, demo_->length());
    seekLogged_ = true;
}

void Preview::seekBy(float seconds)
{
    seekTo(targetTime() + seconds);
}

void Preview::logSeek(float time) const
{
    std::ostringstream line;
    line << "seek to " << std::fixed << std::setprecision(2) << time << " s (bar " << barAndBeatAt(time).bar;
    if (const SceneSpan* scene = sceneAt(spans_, time))
        line << ", " << scene->name;
    line << ")";
    ORB_INFO(line.str());
}

void Preview::note(std::string text)
{
    ORB_INFO(text);
    note_ = std::move(text);
    noteShownUntil_ = std::chrono::steady_clock::now() + NoteShownFor;
}

std::string Preview::statusLine() const
{
    const float time = demo_->time();
    const BarAndBeat position = barAndBeatAt(time);
    std::ostringstream line;
    line << std::fixed << std::setprecision(2) << time << " s   bar " << position.bar << "   beat "
         << position.beat;
    if (const SceneSpan* scene = sceneAt(spans_, time))
        line << "   " << scene->name;
    if (demo_->paused())
        line << "   paused";
    return line.str();
}

void Preview::draw()
{
    if (std::exchange(timing_, false))
        costs_.add(demo_->graphicSystem()->device()->passTimer()->endFrame(), PassCosts::Clock::now());
    if (panelsShown_) {
        const SceneSpan* scene = sceneAt(spans_, demo_->time());
        values_ = preview::liveValues(scene != nullptr ? scene->op : nullptr, *demo_->graphicSystem());
    }
    drawText();
}

void Preview::drawText()
{
    fx::Font* font = demo_->font16();
    if (font == nullptr)
        return;
    constexpr int Margin = 8;
    int top = Margin;
    const auto write = [&](const std::string& text, gfx::Color colour) {
        const fx::TextRect shadow{Margin + 1, top + 1, settings_.width, settings_.height};
        font->drawText(text.c_str(), -1, shadow, fx::TextFormat::NoClip, 0xFF000000);
        top += font->drawText(text.c_str(), -1, {Margin, top, settings_.width, settings_.height},
                              fx::TextFormat::NoClip, colour);
    };
    if (panelsShown_)
        write(statusLine(), StatusColour);
    for (const Message& message : shownMessages()) {
        if (panelsShown_ || message.colour == ErrorColour)
            write(message.text, message.colour);
    }
}

void Preview::drawPanels()
{
    const float time = demo_->time();
    drawStrip({view_, spans_, waveform_, waveformError_, time, loop_});
    const SceneSpan* scene = sceneAt(spans_, time);
    drawValues(scene != nullptr ? scene->name : std::string(), values_);
    drawCosts(costs_);
}

// Without a demo the frame shows only what the overlay says.
void Preview::drawAlone()
{
    GraphicSystem& graphics = *demo_->graphicSystem();
    graphics.beginScene();
    graphics.device()->clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer | gfx::ClearFlag::Stencil, 0,
                             1.0f, 0);
    drawText();
    graphics.endSceneAndPresent();
}

void Preview::reportShown()
{
    for (const std::string& name : awaitingShow_) {
        std::error_code failure;
        const auto saved =
            std::filesystem::last_write_time(std::filesystem::path(directory_) / name, failure);
        if (failure)
            continue;
        const auto age = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::filesystem::file_time_type::clock::now() - saved);
        ORB_INFO(dataName(name) << " on screen " << age.count() << " ms after it was saved");
    }
    awaitingShow_.clear();
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
