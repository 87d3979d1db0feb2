#pragma once

// PassTimer -- what each pass of a frame costs, for its author: the time from the end of the
// work before it to the end of its own, on the processor's clock (which includes the vertex work
// on the thread that feeds the rasteriser), and as a GL timer query counts it (the rasteriser's
// own time).
//
// Every boundary between passes waits for the rasteriser (glFinish). A software rasteriser runs
// behind the calls that feed it, drops work that a later opaque draw covers, and counts a query
// from the first of its tiles to the last across everything drawn into one target; passes timed
// in one batch would mislead. A frame timed so costs more than one that is not, and the device
// makes no timer at all unless asked.
//
//   timer.startFrame();
//   timer.begin("Scene3.fx pass 0"); ... timer.begin("mesh batch"); ... timer.end(); ... timer.end();
//   for (const PassTimer::Time& pass : timer.endFrame()) if (pass.ran) ...   // "Scene3.fx pass 0 / mesh
//   batch"

#include <chrono>
#include <epoxy/gl.h>
#include <string>
#include <string_view>
#include <vector>

namespace orb::gfx {

class PassTimer
{
public:
    struct Time
    {
        std::string label; // the open passes' labels, outermost first, joined by " / "; "other" outside any
        double wallMilliseconds = 0;
        double glMilliseconds = 0;
        bool ran = false; // in the frame just ended
    };

    PassTimer();
    ~PassTimer();
    PassTimer(const PassTimer&) = delete;
    PassTimer& operator=(const PassTimer&) = delete;

    void startFrame();
    // Time spent from here until the matching end() or the next begin() is the new pass's own.
    void begin(std::string_view label);
    void end();
    // Every pass seen so far, each once, in the order they first ran, with their own times in this
    // frame summed. Kept from frame to frame, so that timing a frame allocates nothing.
    const std::vector<Time>& endFrame();

private:
    // Waits for the rasteriser and files the time since the last boundary under the open passes.
    void boundary();

    GLuint query_ = 0;
    std::vector<std::size_t> openLengths_; // the label's length before each open pass was added
    std::string label_;
    std::chrono::steady_clock::time_point last_;
    std::vector<Time> passes_;
};

} // namespace orb::gfx
