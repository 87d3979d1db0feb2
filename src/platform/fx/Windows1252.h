#pragma once

// Windows-1252 -- the ANSI code page the demo's texts are written in. Internal to the font layer.

namespace orb::fx {

// The Unicode code point of a Windows-1252 byte; 0 for the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
char32_t unicodeFromWindows1252(unsigned char byte);

} // namespace orb::fx
