#include "RenderTargetResource.h"

#include "DemoSystem.h"
#include "LogFile.h"
#include "ScriptValues.h"

#include <optional>
#include <sstream>

namespace orb {

namespace {

// The largest side a texture can have here; a fraction of the screen beyond it is an error.
constexpr float MaxTargetSide = 16384.0f;

// "*" and a float as scanf's "*%f" matches it; nullopt for any other text.
std::optional<float> relativeFactor(const char* text)
{
    if (text == nullptr || text[0] != '*')
        return std::nullopt;
    const char* end = nullptr;
    const double factor = readFloat(text + 1, &end);
    if (end == text + 1)
        return std::nullopt;
    return static_cast<float>(factor);
}

} // namespace

RenderTargetResource::Size RenderTargetResource::readSize(const TiXmlElement& element, const char* name,
                                                          int screen, Size previous)
{
    previous.pixels = intAttribute(element, name);
    const char* text = element.Attribute(name);
    const std::optional<float> factor = relativeFactor(text);
    if (!factor)
        return previous;
    previous.factor = *factor;
    const float pixels = static_cast<float>(screen) * *factor;
    if (pixels >= 0.0f && pixels <= MaxTargetSide) {
        previous.pixels = static_cast<int>(pixels);
        return previous;
    }
    // NaN lands at 0 too.
    previous.pixels = pixels > MaxTargetSide ? static_cast<int>(MaxTargetSide) : 0;
    ORB_ERROR("invalid render target " << name << " '" << text << "', using " << previous.pixels);
    return previous;
}

void RenderTargetResource::writeSize(std::ostream& stream, const char* name, const Size& size)
{
    if (size.factor == 0.0f) {
        stream << attribute(name, size.pixels);
        return;
    }
    std::ostringstream relative;
    relative << '*' << size.factor;
    stream << attribute(name, relative.str());
}

bool RenderTargetResource::read(const TiXmlElement& element)
{
    IResource::read(element);
    const GraphicSystem* graphics = demo() != nullptr ? demo()->graphicSystem() : nullptr;
    width_ = readSize(element, "width", graphics != nullptr ? graphics->width() : 0, width_);
    height_ = readSize(element, "height", graphics != nullptr ? graphics->height() : 0, height_);
    levels_ = intAttribute(element, "levels");
    format_ = intAttribute(element, "format");
    depthFormat_ = intAttribute(element, "depthFormat");
    return true;
}

void RenderTargetResource::writeSettings(std::ostream& stream) const
{
    writeSize(stream, "width", width_);
    writeSize(stream, "height", height_);
    stream << attribute("levels", levels_) << attribute("format", format_)
           << attribute("depthFormat", depthFormat_);
}

RenderTarget* RenderTargetResource::handle()
{
    if (target_)
        return target_.get();
    GraphicSystem* graphics = demo() != nullptr ? demo()->graphicSystem() : nullptr;
    if (graphics == nullptr || graphics->device() == nullptr)
        return nullptr;
    auto made = std::make_unique<RenderTarget>(
        *graphics->device(), width_.pixels, height_.pixels, static_cast<unsigned>(levels_),
        static_cast<gfx::Format>(format_), static_cast<gfx::Format>(depthFormat_));
    if (made->colorTexture() != nullptr)
        target_ = std::move(made);
    return target_.get();
}

} // namespace orb
