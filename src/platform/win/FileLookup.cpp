#include "platform/win/FileLookup.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace orb::win {

std::string diskPath(std::string_view name)
{
    std::string path(name);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

PathKind findPath(std::string_view name)
{
    struct stat status;
    if (::stat(diskPath(name).c_str(), &status) != 0)
        return PathKind::Missing;
    return S_ISDIR(status.st_mode) ? PathKind::Directory : PathKind::File;
}

std::string programTitle()
{
    std::error_code failure;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failure);
    return program.stem().string();
}

} // namespace orb::win
