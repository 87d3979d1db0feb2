#pragma once

// Running the project's programs as a viewer would, and reading the pictures they write.

#include <string>
#include <vector>

namespace orb::test {

struct Result
{
    int status;
    std::string output; // standard output only; standard error goes to stderr.txt
};

Result runProgram(const std::string& commandLine);

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
