#pragma once

// LogCapture -- the engine's log lines written while it lives, passed on to where they were
// going and kept, so that a tool can tell its user what failed: the preview shows the errors a
// reload logged, the player names the first error of a start that failed.
//
//   LogCapture capture;
//   demo.reloadScript(path);
//   std::string errors = capture.errors();   // "CreateEffect failed for Data\Scene2.fx\n0:17(31): ..."
//   std::string cause = capture.firstError(); // "CreateEffect failed for Data\Scene2.fx: 0:17(31): ..."

#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

namespace orb::app {

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
    // The first of them, with its library text on the same line after ": ", for a one-line
    // report: "CreateWindowEx failed: no display to show a window on"; empty when nothing failed.
    std::string firstError() const;

private:
    struct Error
    {
        std::string line;
        std::vector<std::string> details; // the library's lines logged with it
    };

    std::vector<Error> logged() const;
    int overflow(int character) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override { return forward_->pubsync(); }

    std::streambuf* forward_;
    std::string text_;
};

} // namespace orb::app
