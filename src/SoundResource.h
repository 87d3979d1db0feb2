#pragma once

// SoundResource -- a sound stream of the file named by "source", not looping, made on first
// request and freed when the resource goes. Safe after the sound system has shut down.

#include "IResource.h"

namespace orb {

class SoundResource final : public IResource
{
public:
    using IResource::IResource;
    ~SoundResource() override;
    const char* typeName() const override { return "Sound"; }
    const char* category() const override { return "Sounds"; }

    // The stream handle, made now if it was not; 0 while the stream cannot be made.
    std::uint32_t handle();

private:
    std::uint32_t stream_ = 0;
};

} // namespace orb
