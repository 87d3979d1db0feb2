#pragma once

// LogCapture -- the engine's log lines written while it lives, passed on to where they were
// going and kept, so that the preview can show the errors a reload logged.
//
//   LogCapture capture;
//   demo.reloadScript(path);
//   std::string errors = capture.errors();   // "CreateEffect failed for Data\Scene2.fx\n0:17(31): ..."

#include <iostream>
#include <streambuf>
#include <string>

namespace orb::preview {

class LogCapture final : private std::streambuf
{
public:
    LogCapture() : forward_(std::cout.rdbuf(this)) {}
    ~LogCapture() override { std::cout.rdbuf(forward_); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The error lines without their prefix and source, each followed by the library text
    // logged with it (up to the next log line); empty when nothing failed.
    std::string errors() const;

private:
    int overflow(int character) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override { return forward_->pubsync(); }

    std::streambuf* forward_;
    std::string text_;
};

} // namespace orb::preview
