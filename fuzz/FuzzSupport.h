#pragma once

// What the fuzzers share. Built with clang only: cmake -DORB_FUZZ=ON (see scripts/fuzz).

#include <cstddef>
#include <cstdint>
#include <string>

namespace orb::fuzz {

// Makes a fresh directory under /tmp the working directory, so that the files an input becomes
// stay apart from every other run's, and sends the engine's log nowhere.
void enterScratchDirectory();

// Writes the input to a file, replacing what was there.
void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size);

} // namespace orb::fuzz
