#pragma once

// FontRegistry -- where a face name leads: to a font registered from memory (registerFontMemory
// in Font.h), else to the system font fontconfig matches, else to the first registered font.
// Internal to the font layer. Names compare without regard to case, as Windows compares them.

#include "platform/fx/FontFace.h"

#include <optional>
#include <string>

namespace orb::fx {

// Nothing when no font is registered and fontconfig matches none.
std::optional<FontSource> findFontSource(const std::string& faceName);

} // namespace orb::fx
