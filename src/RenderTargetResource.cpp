#include "RenderTargetResource.h"

#include "DemoSystem.h"
#include "ScriptValues.h"

#include <cstdio>
#include <sstream>

namespace orb {

RenderTargetResource::Size RenderTargetResource::readSize(const TiXmlElement& element, const char* name,
                                                          int screen, Size previous)
{
    previous.pixels = intAttribute(element, name);
    float factor = 0.0f;
    if (const char* text = element.Attribute(name);
        text != nullptr && std::sscanf(text, "*%f", &factor) == 1) {
        previous.factor = factor;
        previous.pixels = static_cast<int>(static_cast<float>(screen) * factor);
    }
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
