// Preloaded into a program under test, makes libavcodec look as if it were built without the
// encoder ORB_TEST_HIDDEN_ENCODER names: a user's system whose FFmpeg lacks one.

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

extern "C" const AVCodec* avcodec_find_encoder_by_name(const char* name)
{
    using Find = const AVCodec* (*)(const char*);
    static const auto real = reinterpret_cast<Find>(dlsym(RTLD_NEXT, "avcodec_find_encoder_by_name"));
    const char* hidden = std::getenv("ORB_TEST_HIDDEN_ENCODER");
    if (name != nullptr && hidden != nullptr && std::strcmp(name, hidden) == 0)
        return nullptr;
    return real(name);
}
