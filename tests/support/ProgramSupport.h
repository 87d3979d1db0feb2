#pragma once

// Running the project's programs as a viewer would, and reading the pictures they write.

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace orb::test {

struct Result
{
    int status;
    std::string output; // standard output only; standard error goes to stderr.txt
};

Result runProgram(const std::string& commandLine);

// A program started in the background, as a user starts one from a shell: `arguments` (the
// program first, by its path), with `environment` added to the test's, in `directory` and with its
// standard output into `output` and its standard error into `errors` when they are given. The process's id;
// the program exits 127 when it could not be started.
struct Launch
{
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> environment = {};
    std::string directory = {};
    std::string output = {};
    std::string errors = {};
};
pid_t startProgram(const Launch& launch);

// xdotool with `arguments`, as a user's keys and mouse; its exit status.
int xdotool(const std::string& arguments);

// Shell text that polls `condition` (a shell command) every tenth of a second for at most
// `seconds`; past that it says on standard error what it waited for, runs `giveUp` and exits
// with status 124, so that a test fails in its own time instead of hanging.
std::string shellWait(const std::string& condition, const std::string& what, int seconds,
                      const std::string& giveUp);

const std::string Player = ORB_PLAYER;
const std::string Qelpack = ORB_QELPACK;
const std::string OrbRender = ORB_RENDER;

struct Picture
{
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    int channel(int x, int y, int c) const { return rgb[(std::size_t(y) * width + x) * 3 + c]; }
    int brightest(int c) const;
};

// Empty when the file is not a picture.
Picture readPng(const std::string& path);

} // namespace orb::test
