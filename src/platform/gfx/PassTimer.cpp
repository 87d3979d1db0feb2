#include "platform/gfx/PassTimer.h"

#include <algorithm>

namespace orb::gfx {

namespace {

constexpr std::string_view Outside = "other";

} // namespace

PassTimer::PassTimer()
{
    glCreateQueries(GL_TIME_ELAPSED, 1, &query_);
}

PassTimer::~PassTimer()
{
    glDeleteQueries(1, &query_);
}

void PassTimer::startFrame()
{
    openLengths_.clear();
    label_ = Outside;
    for (Time& pass : passes_)
        pass = {std::move(pass.label), 0, 0, false};
    glFinish();
    last_ = std::chrono::steady_clock::now();
    glBeginQuery(GL_TIME_ELAPSED, query_);
}

void PassTimer::begin(std::string_view label)
{
    boundary();
    if (openLengths_.empty()) {
        openLengths_.push_back(0);
        label_ = label;
        return;
    }
    openLengths_.push_back(label_.size());
    label_.append(" / ").append(label);
}

void PassTimer::end()
{
    if (openLengths_.empty())
        return;
    boundary();
    label_.resize(openLengths_.back());
    openLengths_.pop_back();
    if (openLengths_.empty())
        label_ = Outside;
}

const std::vector<PassTimer::Time>& PassTimer::endFrame()
{
    boundary();
    glEndQuery(GL_TIME_ELAPSED);
    return passes_;
}

void PassTimer::boundary()
{
    glEndQuery(GL_TIME_ELAPSED);
    glFinish();
    const auto now = std::chrono::steady_clock::now();
    GLuint64 nanoseconds = 0;
    glGetQueryObjectui64v(query_, GL_QUERY_RESULT, &nanoseconds);
    auto found = std::find_if(passes_.begin(), passes_.end(),
                              [this](const Time& time) { return time.label == label_; });
    if (found == passes_.end())
        found = passes_.insert(passes_.end(), Time{label_, 0, 0, false});
    found->ran = true;
    found->wallMilliseconds += std::chrono::duration<double, std::milli>(now - last_).count();
    found->glMilliseconds += static_cast<double>(nanoseconds) * 1e-6;
    last_ = now;
    glBeginQuery(GL_TIME_ELAPSED, query_);
}

} // namespace orb::gfx
