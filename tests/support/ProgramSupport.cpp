#include "ProgramSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stb/stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orb::test {

Result runProgram(const std::string& commandLine)
{
    Result result{-1, {}};
    FILE* pipe = ::popen((commandLine + " 2>stderr.txt").c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, read);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

pid_t startProgram(const Launch& launch)
{
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    for (const auto& [name, value] : launch.environment)
        ::setenv(name.c_str(), value.c_str(), 1);
    if ((!launch.directory.empty() && ::chdir(launch.directory.c_str()) != 0) ||
        (!launch.output.empty() && std::freopen(launch.output.c_str(), "w", stdout) == nullptr) ||
        (!launch.errors.empty() && std::freopen(launch.errors.c_str(), "w", stderr) == nullptr))
        ::_exit(127);
    std::vector<char*> arguments;
    for (const std::string& argument : launch.arguments)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    ::execv(arguments.front(), arguments.data());
    ::_exit(127);
}

int xdotool(const std::string& arguments)
{
    const int status = std::system(("xdotool " + arguments).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string shellWait(const std::string& condition, const std::string& what, int seconds,
                      const std::string& giveUp)
{
    return "polls=0; until " + condition + "; do polls=$((polls + 1)); if [ $polls -gt " +
           std::to_string(seconds * 10) + " ]; then echo \"waited " + std::to_string(seconds) + " s for " +
           what + "\" >&2; " + giveUp + "; exit 124; fi; sleep 0.1; done; ";
}

int Picture::brightest(int c) const
{
    int most = 0;
    for (std::size_t i = static_cast<std::size_t>(c); i < rgb.size(); i += 3)
        most = std::max<int>(most, rgb[i]);
    return most;
}

Picture readPng(const std::string& path)
{
    Picture picture;
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 3);
    if (pixels != nullptr) {
        picture.rgb.assign(pixels, pixels + picture.width * picture.height * 3);
        stbi_image_free(pixels);
    }
    return picture;
}

} // namespace orb::test
