#include "TestSupport.h"

#include <algorithm>
#include <clocale>
#include <fstream>
#include <iterator>
#include <stdlib.h>

namespace orb::test {

ScratchDirectory::ScratchDirectory() : previous_(std::filesystem::current_path())
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orb-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    std::filesystem::current_path(path_);
}

ScratchDirectory::~ScratchDirectory()
{
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
}

void writeFile(const std::filesystem::path& path, std::string_view bytes)
{
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> readLines(const std::filesystem::path& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string withoutSource(const std::string& line)
{
    const std::string tag = "ORB_ERROR: (";
    const std::size_t close = line.find(") ");
    if (line.rfind(tag, 0) != 0 || close == std::string::npos)
        return line;
    return "ORB_ERROR: " + line.substr(close + 2);
}

std::vector<std::string> withDemoShutdown(std::vector<std::string> lines)
{
    lines.push_back("ORB_INFO: DemoSystem Shutdown ...");
    for (const char* subsystem :
         {"GraphicSystem", "SoundSystem", "FileSystem", "ResourceManager", "OperatorManager"}) {
        lines.push_back(std::string("ORB_INFO: ") + subsystem + " Shutdown ...");
        lines.push_back(std::string("ORB_INFO: ") + subsystem + " Shutdown Done");
    }
    lines.push_back("ORB_INFO: DemoSystem Shutdown Done");
    return lines;
}

std::vector<std::string> LoggedTest::log() const
{
    std::vector<std::string> lines = readLines(scratch_.path() / "Orb.log");
    std::transform(lines.begin(), lines.end(), lines.begin(), withoutSource);
    return lines;
}

bool LoggedTest::logged(std::string_view line) const
{
    const std::vector<std::string> lines = log();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

ViewerLocale::ViewerLocale(const char* name) : saved_(std::setlocale(LC_ALL, nullptr))
{
    ::setenv("LOCPATH", ORB_TEST_LOCALES, 1);
    active_ = std::setlocale(LC_ALL, name) != nullptr;
}

ViewerLocale::~ViewerLocale()
{
    std::setlocale(LC_ALL, saved_.c_str());
    ::unsetenv("LOCPATH");
}

bool LoggedTest::loggedFrom(std::string_view source, std::string_view message) const
{
    const std::string prefix = "ORB_ERROR: (" + std::string(source) + ",";
    for (const std::string& line : readLines(scratch_.path() / "Orb.log")) {
        if (line.starts_with(prefix) && line.ends_with(") " + std::string(message)))
            return true;
    }
    return false;
}

} // namespace orb::test
