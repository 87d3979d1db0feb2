#include "PreviewFixture.h"

#include <cmath>
#include <filesystem>
#include <string_view>

namespace orb::test {

void SteppedDemoTest::advance(DemoSystem& demo, double seconds)
{
    counter_.advance(std::llround(seconds * TicksPerSecond));
    demo.soundSystem()->pump(static_cast<std::size_t>(std::llround(seconds * audio::SampleRate)));
}

std::vector<std::string> SteppedDemoTest::seeksLogged() const
{
    constexpr std::string_view Info = "ORB_INFO: ";
    std::vector<std::string> seeks;
    for (const std::string& line : log()) {
        if (line.starts_with("ORB_INFO: seek to "))
            seeks.push_back(line.substr(Info.size()));
    }
    return seeks;
}

void PreviewFixture::open(Host host, int width, int height)
{
    std::filesystem::copy(ORB_PRODUCTION_DATA, "Production", std::filesystem::copy_options::recursive);
    host.dataDirectory = "Production";
    preview_ = std::make_unique<preview::Preview>(host, width, height);
}

void PreviewFixture::step(double seconds)
{
    advance(demo(), seconds);
    if (messages_) {
        ASSERT_TRUE(takeMessages(*messages_, *preview_));
    }
    preview_->frame();
}

} // namespace orb::test
