#pragma once

// PreviewFixture -- the preview's tests' common ground: a clock that moves only when a test
// steps it (with the silent sound output pumped as far), the production copied into the test's
// directory, and the seeks logged.
//
//   class PreviewTest : public test::PreviewFixture {
//       PreviewTest() { open(Host::offscreen(counter_), 320, 180); }
//   };
//   ASSERT_TRUE(preview_->start());
//   preview_->press(win::KeyRight);
//   step(0.1);   // the clock and the music 0.1 s on, then a frame

#include "Preview.h"
#include "TestSupport.h"
#include "platform/win/MessageQueue.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orb::test {

constexpr std::int64_t TicksPerSecond = 1'000'000;

class SteppedDemoTest : public LoggedTest
{
protected:
    // The clock and the sound output `seconds` on, for the demo's next frame.
    void advance(DemoSystem& demo, double seconds);
    // The seeks logged so far, without their "ORB_INFO: ": "seek to 6.96 s (bar 5, Scene2)".
    std::vector<std::string> seeksLogged() const;

    win::SteppedCounter counter_{TicksPerSecond};
};

class PreviewFixture : public SteppedDemoTest
{
protected:
    // The preview through `host` (on counter_) of a copy of the production, in "Production".
    void open(Host host, int width, int height);
    // One frame `seconds` after the last; in a window, the messages waiting are taken first.
    void step(double seconds);

    DemoSystem& demo() { return preview_->demo(); }
    // Where the music will play from next, in seconds.
    double musicTime() const { return preview_->transport().musicTime().value_or(-1.0); }

    std::unique_ptr<preview::Preview> preview_;
    std::unique_ptr<win::MessageQueue> messages_; // set by the tests in a window
};

} // namespace orb::test
