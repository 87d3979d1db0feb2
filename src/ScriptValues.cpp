#include "ScriptValues.h"

#include <cstdlib>

namespace orb {

int intAttribute(const TiXmlElement& element, const char* name)
{
    const char* text = element.Attribute(name);
    return text != nullptr ? std::atoi(text) : 0;
}

float floatAttribute(const TiXmlElement& element, const char* name)
{
    const char* text = element.Attribute(name);
    return text != nullptr ? static_cast<float>(std::atof(text)) : 0.0f;
}

std::string textAttribute(const TiXmlElement& element, const char* name)
{
    const char* text = element.Attribute(name);
    return text != nullptr ? text : std::string();
}

} // namespace orb
