#pragma once

// Notes -- what the preview tells its author in passing ("demo loaded", "looping 6.96 s to
// 8.70 s"): logged, and shown for a few seconds until the next note replaces it.
//
//   notes.add("Data\\Scene2.fx reloaded");
//   if (const std::string* shown = notes.shown()) ...

#include "LogFile.h"

#include <chrono>
#include <string>
#include <utility>

namespace orb::preview {

class Notes
{
public:
    void add(std::string text)
    {
        ORB_INFO(text);
        latest_ = std::move(text);
        shownUntil_ = std::chrono::steady_clock::now() + ShownFor;
    }

    // The latest note while it is shown, else null.
    const std::string* shown() const
    {
        return !latest_.empty() && std::chrono::steady_clock::now() < shownUntil_ ? &latest_ : nullptr;
    }

private:
    static constexpr auto ShownFor = std::chrono::seconds(3);

    std::string latest_;
    std::chrono::steady_clock::time_point shownUntil_;
};

} // namespace orb::preview
