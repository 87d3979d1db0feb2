#pragma once

// DirectoryWatch -- the files of one directory that have been written, as inotify reports them
// (the stand-in for ReadDirectoryChangesW).
//
// Does: name each file of the directory that was closed after writing or moved in under its
//       name (editors save either way) since the last call, once per call, in the order first
//       seen, without waiting.
// Does not: poll, look into subdirectories, read the files, or notice the directory itself
//       going away.
//
//   std::string error;
//   auto watch = DirectoryWatch::open("build/production/Data", &error);   // null + reason
//   for (const std::string& name : watch->changedFiles()) { ... }          // "Scene2.fx"

#include <memory>
#include <string>
#include <vector>

namespace orb::win {

class DirectoryWatch
{
public:
    static std::unique_ptr<DirectoryWatch> open(const std::string& directory, std::string* error);
    ~DirectoryWatch();
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    std::vector<std::string> changedFiles();

private:
    explicit DirectoryWatch(int descriptor) : descriptor_(descriptor) {}

    int descriptor_;
};

} // namespace orb::win
