#pragma once

// parseNumber -- a whole argument as one finite number, or false.

#include <cmath>
#include <sstream>
#include <string>

namespace orb::app {

template <typename Number>
bool parseNumber(const std::string& text, Number& value)
{
    std::istringstream stream(text);
    stream >> value;
    return !stream.fail() && stream.eof() && std::isfinite(static_cast<double>(value));
}

} // namespace orb::app
