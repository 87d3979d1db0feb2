#include "platform/audio/LibraryVersions.h"

#include <SDL.h>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <link.h>
#include <mpg123.h>

namespace orb::audio {
namespace {

bool sdlUpToDate()
{
    SDL_version linked{};
    SDL_GetVersion(&linked);
    return SDL_VERSIONNUM(linked.major, linked.minor, linked.patch) >= SDL_COMPILEDVERSION;
}

// libmpg123 before 1.32 has no version query; its file is named libmpg123.so.0.API.REVISION,
// API being the MPG123_API_VERSION of its header. 0 when no such library is loaded.
int loadedMpg123Api()
{
    int api = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* library, std::size_t, void* found) {
            char path[PATH_MAX];
            if (!std::strstr(library->dlpi_name, "libmpg123.so") || !realpath(library->dlpi_name, path))
                return 0;
            const char* versions = std::strstr(path, "libmpg123.so.0.");
            if (!versions)
                return 0;
            *static_cast<int*>(found) = std::atoi(versions + std::strlen("libmpg123.so.0."));
            return 1;
        },
        &api);
    return api;
}

} // namespace

bool librariesUpToDate()
{
    return sdlUpToDate() && loadedMpg123Api() >= MPG123_API_VERSION;
}

} // namespace orb::audio
