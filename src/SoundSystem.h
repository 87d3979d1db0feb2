#pragma once

// SoundSystem -- the music streams.
//
// This build has no audio output: init logs its start-up line and fails with a reason.

#include "DemoSettings.h"

namespace orb {

class FileSystem;

class SoundSystem
{
public:
    explicit SoundSystem(FileSystem& fileSystem) : fileSystem_(fileSystem) {}
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    bool init(const DemoSettings& settings);

private:
    [[maybe_unused]] FileSystem& fileSystem_;
};

} // namespace orb
