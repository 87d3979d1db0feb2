#pragma once

// Shared test fixtures: a scratch working directory and the log lines written while a test ran.

#include "LogFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace orb::test {

// Runs the test inside a fresh empty directory, which is removed afterwards.
class ScratchDirectory
{
public:
    ScratchDirectory();
    ~ScratchDirectory();

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, std::string_view bytes);
std::string readFile(const std::filesystem::path& path);
std::vector<std::string> readLines(const std::filesystem::path& path);

// Error lines carry their source and line number; tests compare the rest.
std::string withoutSource(const std::string& line);

// `lines` followed by the DemoSystem's shutdown lines, every subsystem's in order.
std::vector<std::string> withDemoShutdown(std::vector<std::string> lines);

// The process locale set to `name` while the object lives, as the setup dialog's toolkit sets the
// viewer's. The build makes de_DE.UTF-8 (comma decimals) in a folder of its own.
class ViewerLocale
{
public:
    explicit ViewerLocale(const char* name);
    ~ViewerLocale();
    ViewerLocale(const ViewerLocale&) = delete;
    ViewerLocale& operator=(const ViewerLocale&) = delete;

    bool active() const { return active_; }

private:
    std::string saved_;
    bool active_;
};

// A test that runs in a scratch directory with Orb.log open there.
class LoggedTest : public ::testing::Test
{
protected:
    LoggedTest() { LogFile::instance().open("Orb.log"); }
    ~LoggedTest() override { LogFile::instance().close(); }

    // Lines logged so far, with error lines' sources removed.
    std::vector<std::string> log() const;
    bool logged(std::string_view line) const;
    // An error line reported from `source` (a path such as "src/FileSystem.cpp").
    bool loggedFrom(std::string_view source, std::string_view message) const;

    ScratchDirectory scratch_;
};

} // namespace orb::test
