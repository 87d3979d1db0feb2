#pragma once

// Chapters -- a video's chapters: one from the first picture of each scene it shows, named as the
// timeline names the scene, and the lines a video site's description reads ("1:05 Scene3").
//
// Does: find each picture's scene by the demo time the picture stands at, so that a chapter
//       begins on the picture that first shows its scene; merge a scene restarted at once into
//       one chapter.
// Does not: know when pictures stand: the caller gives their times, as its clock has them.
//
//   std::vector<Chapter> chapters = chaptersOf(app::sceneSpans(*demo.scene(0)), times);
//   std::string lines = describe(chapters, 60.0);   // "0:00 Scene1\n0:06 Scene2\n..."

#include "SceneSpans.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orb::render {

struct Chapter
{
    std::string title;
    std::int64_t first, end; // pictures from the video's first: its first and the one after its last
};

// `times`: the demo time of each of the video's pictures, in order.
std::vector<Chapter> chaptersOf(const std::vector<app::SceneSpan>& spans, const std::vector<double>& times);

// One line a chapter, its start in whole seconds ("0:00", "1:05:09") and its title.
std::string describe(const std::vector<Chapter>& chapters, double fps);

} // namespace orb::render
