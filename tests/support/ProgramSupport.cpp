#include "ProgramSupport.h"

#include <algorithm>
#include <cstdio>
#include <stb/stb_image.h>
#include <sys/wait.h>

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
