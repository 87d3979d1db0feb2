#pragma once

// ScriptValues -- how demo script attributes are read and written.
//
// Reading follows the C library: integers as atoi (leading blanks, a sign, digits up to the
// first other character, 0 without digits), floats as atof, text as the parser resolved it.
// Numbers always follow the "C" locale's rules: the setup dialog's toolkit sets the viewer's
// locale for the whole process, and a comma-decimal one would read "1.5" as 1.
// An absent attribute reads as 0 or as empty text, never as a field's default.
// Writing puts one space, the name, '=' and the value in double quotes; numbers with the
// stream's default formatting (six significant digits for floats), text without escaping.
//
//   int id = intAttribute(element, "id");
//   stream << '<' << "scene" << attribute("id", id) << attribute("name", name) << ">\n";

#include <ostream>
#include <string>
#include <tinyxml.h>

namespace orb {

// atof under the "C" locale; `end`, when given, receives where the number ended.
double readFloat(const char* text, const char** end = nullptr);

int intAttribute(const TiXmlElement& element, const char* name);
float floatAttribute(const TiXmlElement& element, const char* name);
std::string textAttribute(const TiXmlElement& element, const char* name);

template <typename Value>
struct Attribute
{
    const char* name;
    const Value& value;
};

template <typename Value>
Attribute<Value> attribute(const char* name, const Value& value)
{
    return {name, value};
}

template <typename Value>
std::ostream& operator<<(std::ostream& stream, const Attribute<Value>& written)
{
    return stream << ' ' << written.name << "=\"" << written.value << '"';
}

} // namespace orb
