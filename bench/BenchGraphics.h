#pragma once

// What the benchmarks on the production's effects share: a scratch directory with its data, a
// GraphicSystem started off-screen on it, and one pass of an effect file linked for bare GL.

#include "FileSystem.h"
#include "GraphicSystem.h"
#include "LogFile.h"
#include "platform/fx/EffectFile.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace orb::bench {

// A scratch directory with the production's data and Orb.log open in it, for as long as it lives.
class Workplace
{
public:
    Workplace()
    {
        const auto directory = std::filesystem::temp_directory_path() / "orb-bench-graphics";
        std::filesystem::create_directories(directory / "Data.qel");
        std::filesystem::copy(std::filesystem::path(ORB_SOURCE_DIR) / "data" / "Data", directory / "Data",
                              std::filesystem::copy_options::overwrite_existing |
                                  std::filesystem::copy_options::recursive);
        std::filesystem::current_path(directory);
        LogFile::instance().open("Orb.log");
    }
    ~Workplace() { LogFile::instance().close(); }
};

// A GraphicSystem started off-screen on the production's effects.
class Graphics
{
public:
    Graphics(int width, int height)
    {
        fileSystem_.init("Data.qel");
        settings_.width = width;
        settings_.height = height;
        settings_.multisampleType = 0;
        started_ = system_.init(settings_);
    }

    bool started() const { return started_; }
    GraphicSystem& system() { return system_; }

private:
    Workplace workplace_;
    win::SteppedCounter counter_{1000};
    FileSystem fileSystem_;
    DemoSettings settings_;
    GraphicSystem system_{fileSystem_, Host::offscreen(counter_)};
    bool started_ = false;
};

// Pass `pass` of the production's effect `effectName` ("Compositor"), or of the effect file at
// `path`, for the full-screen triangle (behind the device's vertex stage when it has none of its
// own); null when it does not compile.
inline std::unique_ptr<gfx::ShaderProgram>
linkEffectFilePass(gfx::Device& device, const std::filesystem::path& path, unsigned pass = 0)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    const auto source = fx::parseEffect(text.str(), nullptr);
    if (!source || pass >= source->passes.size())
        return nullptr;
    return device.linkProgram(fx::vertexStage(source->common, source->passes[pass], FullScreenTriangleFvf),
                              fx::glslStage(source->common, source->passes[pass].fragment), nullptr);
}

inline std::unique_ptr<gfx::ShaderProgram> linkEffectPass(gfx::Device& device, const std::string& effectName,
                                                          unsigned pass = 0)
{
    return linkEffectFilePass(
        device, std::filesystem::path(ORB_SOURCE_DIR) / "data" / "Data" / (effectName + ".fx"), pass);
}

} // namespace orb::bench
