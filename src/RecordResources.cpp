#include "RecordResources.h"

#include "ScriptValues.h"

namespace orb {

namespace {

constexpr const char* TextureSettings[5] = {"levels", "usage", "format", "pool", "colorKey"};

} // namespace

bool TextureResource::read(const TiXmlElement& element)
{
    IResource::read(element);
    for (std::size_t i = 0; i < settings_.size(); ++i)
        settings_[i] = intAttribute(element, TextureSettings[i]);
    return true;
}

void TextureResource::writeSettings(std::ostream& stream) const
{
    for (std::size_t i = 0; i < settings_.size(); ++i)
        stream << attribute(TextureSettings[i], settings_[i]);
}

} // namespace orb
