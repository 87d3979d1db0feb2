#include "Chapters.h"

#include <cmath>
#include <cstdio>

namespace orb::render {

std::vector<Chapter> chaptersOf(const std::vector<app::SceneSpan>& spans, const std::vector<double>& times)
{
    std::vector<Chapter> chapters;
    const auto pictures = static_cast<std::int64_t>(times.size());
    for (std::int64_t picture = 0; picture < pictures; ++picture) {
        const app::SceneSpan* scene = app::sceneAt(spans, static_cast<float>(times[picture]));
        if (scene == nullptr)
            continue;
        if (!chapters.empty() && chapters.back().end == picture && chapters.back().title == scene->name)
            chapters.back().end = picture + 1;
        else
            chapters.push_back({scene->name, picture, picture + 1});
    }
    return chapters;
}

std::string describe(const std::vector<Chapter>& chapters, double fps)
{
    std::string lines;
    for (const Chapter& chapter : chapters) {
        const auto seconds = static_cast<long>(std::floor(static_cast<double>(chapter.first) / fps));
        char start[32];
        if (seconds >= 3600)
            std::snprintf(start, sizeof start, "%ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60,
                          seconds % 60);
        else
            std::snprintf(start, sizeof start, "%ld:%02ld", seconds / 60, seconds % 60);
        lines += std::string(start) + " " + chapter.title + "\n";
    }
    return lines;
}

} // namespace orb::render
