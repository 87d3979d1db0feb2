#pragma once

// FileLookup -- data names on the Linux file system.
//
// Does: turn a data name ("Data\Scene2.fx", backslash-separated) into a disk path
//       ("Data/Scene2.fx"), and tell whether a path is missing, a directory or something else.
// Does not: normalise case or other separators; names stay exactly as asked.

#include <string>
#include <string_view>

namespace orb::win {

enum class PathKind
{
    Missing,
    Directory,
    File, // anything that is not a directory
};

std::string diskPath(std::string_view name);

// Follows symbolic links; the name is a data name.
PathKind findPath(std::string_view name);

// The running program's file name without its directory and without its extension, if any.
std::string programTitle();

} // namespace orb::win
