#include "Reloader.h"

#include "DemoSystem.h"
#include "GraphicSystem.h"
#include "LogCapture.h"
#include "LogFile.h"
#include "Notes.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

namespace orb::preview {

namespace {

constexpr std::string_view DataPrefix = "Data\\";
constexpr std::size_t ErrorLinesShown = 4;

std::string dataPath(const std::string& fileName)
{
    return std::string(DataPrefix) + fileName;
}

// The name in the directory of a file the demo reads as "Data\NAME".
std::string fileName(std::string_view dataPath)
{
    return std::string(dataPath.substr(DataPrefix.size()));
}

// Besides effects, the files the script and its scenes load; other files (an editor's swap and
// backup files among them) are not the demo's.
bool readByTheDemo(const std::string& name)
{
    const std::string extension = std::filesystem::path(name).extension().string();
    return name == fileName(DemoSystem::ScriptPath) || extension == ".png" || extension == ".jpg" ||
           extension == ".x" || extension == ".mp3";
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

app::Result<Waveform> waveformOf(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    if (!stream)
        return app::Failure{"the file cannot be read"};
    return Waveform::decode(bytes.data(), bytes.size());
}

} // namespace

Reloader::Reloader(DemoSystem& demo, Transport& transport, Notes& notes, std::string directory)
    : demo_(demo), transport_(transport), notes_(notes), directory_(std::move(directory))
{}

bool Reloader::watch()
{
    std::string error;
    watch_ = win::DirectoryWatch::open(directory_, &error);
    if (!watch_)
        ORB_ERROR(error);
    return watch_ != nullptr;
}

void Reloader::load()
{
    reloadDemo();
    loadWaveform();
}

void Reloader::takeInChanges()
{
    std::vector<std::string> demoFiles;
    bool music = false;
    for (const std::string& name : watch_->changedFiles()) {
        music = music || name == fileName(DemoSystem::MusicPath);
        const bool effect = std::filesystem::path(name).extension() == ".fx";
        if (effect && transport_.loaded())
            reloadEffect(name);
        else if (effect || readByTheDemo(name))
            demoFiles.push_back(name);
    }
    if (demoFiles.empty())
        return;
    reloadDemo();
    if (music)
        loadWaveform();
    if (transport_.loaded())
        awaitingShow_.insert(awaitingShow_.end(), demoFiles.begin(), demoFiles.end());
}

void Reloader::reloadEffect(const std::string& name)
{
    const std::string file = dataPath(name);
    app::LogCapture capture;
    switch (demo_.graphicSystem()->reloadEffect(file)) {
    case GraphicSystem::EffectReload::Unused:
        return;
    case GraphicSystem::EffectReload::Reloaded:
        errors_.erase(file);
        notes_.add(file + " reloaded");
        awaitingShow_.push_back(name);
        return;
    case GraphicSystem::EffectReload::Failed:
        errors_[file] = capture.errors();
        return;
    }
}

void Reloader::reloadDemo()
{
    app::LogCapture capture;
    switch (demo_.reloadScript(DemoSystem::ScriptPath)) {
    case DemoSystem::ScriptReload::Reloaded:
        transport_.demoLoaded();
        errors_.clear();
        notes_.add("demo loaded");
        return;
    case DemoSystem::ScriptReload::Refused:
        errors_[DemoSystem::ScriptPath] = capture.errors();
        return;
    case DemoSystem::ScriptReload::Failed:
        transport_.demoLost();
        errors_.clear();
        errors_[DemoSystem::ScriptPath] = capture.errors();
        return;
    }
}

// Decoded once per load of the music, not per frame or per reload of the script.
void Reloader::loadWaveform()
{
    app::Result<Waveform> decoded =
        waveformOf(std::filesystem::path(directory_) / fileName(DemoSystem::MusicPath));
    waveform_ = decoded ? std::move(*decoded) : Waveform{};
    waveformFailure_ = {};
    if (!decoded) {
        waveformFailure_ = {"no waveform of " + std::string(DemoSystem::MusicPath),
                            decoded.failure().message()};
        ORB_ERROR(waveformFailure_.message());
    }
}

std::vector<std::string> Reloader::errors() const
{
    std::vector<std::string> shown;
    for (const auto& [file, error] : errors_)
        shown.push_back(firstLines(error, ErrorLinesShown));
    if (waveformFailure_)
        shown.push_back(waveformFailure_.message());
    return shown;
}

void Reloader::reportShown()
{
    for (const std::string& name : awaitingShow_) {
        std::error_code failure;
        const auto saved =
            std::filesystem::last_write_time(std::filesystem::path(directory_) / name, failure);
        if (failure)
            continue;
        const auto age = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::filesystem::file_time_type::clock::now() - saved);
        ORB_INFO(dataPath(name) << " on screen " << age.count() << " ms after it was saved");
    }
    awaitingShow_.clear();
}

} // namespace orb::preview
