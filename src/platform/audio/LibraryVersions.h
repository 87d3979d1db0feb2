#pragma once

// LibraryVersions -- whether the audio libraries loaded at run time are new enough.
//
// Does: compare the versions of libmpg123 and SDL found at run time with those of the headers
//       the build used, as the audio library's start-up check compares its own version.
// Does not: load anything, or judge versions newer than the build's (those are fine).
//
//   if (!librariesUpToDate()) { /* report: an older library than the build expects */ }

namespace orb::audio {

bool librariesUpToDate();

} // namespace orb::audio
