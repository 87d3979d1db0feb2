#include "ScriptValues.h"

#include <cstdlib>
#include <locale.h>

namespace orb {

double readFloat(const char* text, const char** end)
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    char* stop = nullptr;
    const double value = strtod_l(text, &stop, c);
    if (end != nullptr)
        *end = stop;
    return value;
}

int intAttribute(const TiXmlElement& element, const char* name)
{
    const char* text = element.Attribute(name);
    return text != nullptr ? std::atoi(text) : 0;
}

float floatAttribute(const TiXmlElement& element, const char* name)
{
    const char* text = element.Attribute(name);
    return text != nullptr ? static_cast<float>(readFloat(text)) : 0.0f;
}

std::string textAttribute(const TiXmlElement& element, const char* name)
{
    const char* text = element.Attribute(name);
    return text != nullptr ? text : std::string();
}

} // namespace orb
