#include "SoundResource.h"

#include "DemoSystem.h"

namespace orb {

SoundResource::~SoundResource()
{
    SoundSystem* sound = demo() != nullptr ? demo()->soundSystem() : nullptr;
    if (stream_ != 0 && sound != nullptr)
        sound->freeStream(stream_);
}

std::uint32_t SoundResource::handle()
{
    SoundSystem* sound = demo() != nullptr ? demo()->soundSystem() : nullptr;
    if (stream_ == 0 && sound != nullptr)
        stream_ = sound->createStream(source(), false);
    return stream_;
}

} // namespace orb
