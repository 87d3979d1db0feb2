#include "platform/win/DirectoryWatch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace orb::win {

std::unique_ptr<DirectoryWatch> DirectoryWatch::open(const std::string& directory, std::string* error)
{
    const int descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor < 0 ||
        inotify_add_watch(descriptor, directory.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_ONLYDIR) < 0) {
        if (error != nullptr)
            *error = "cannot watch '" + directory + "': " + std::strerror(errno);
        if (descriptor >= 0)
            ::close(descriptor);
        return nullptr;
    }
    return std::unique_ptr<DirectoryWatch>(new DirectoryWatch(descriptor));
}

DirectoryWatch::~DirectoryWatch()
{
    ::close(descriptor_);
}

std::vector<std::string> DirectoryWatch::changedFiles()
{
    std::vector<std::string> names;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t length = ::read(descriptor_, buffer, sizeof buffer);
        if (length <= 0)
            return names;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->len == 0 || (event->mask & IN_ISDIR) != 0)
                continue;
            const std::string name = event->name;
            if (std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
        }
    }
}

} // namespace orb::win
