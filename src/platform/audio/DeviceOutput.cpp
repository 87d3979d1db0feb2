#include "platform/audio/Output.h"

#include <SDL.h>

namespace orb::audio {
namespace {

// About 23 ms a callback: short enough for music cues, long enough for a busy machine.
constexpr Uint16 DeviceBufferFrames = 1024;

class DeviceOutput final : public Output
{
public:
    explicit DeviceOutput(SDL_AudioDeviceID device) : device_(device) { SDL_PauseAudioDevice(device_, 0); }

    ~DeviceOutput() override
    {
        SDL_CloseAudioDevice(device_); // waits for a running callback
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    DeviceOutput(const DeviceOutput&) = delete;
    DeviceOutput& operator=(const DeviceOutput&) = delete;

private:
    SDL_AudioDeviceID device_;
};

void SDLCALL fillDeviceBuffer(void* mixer, Uint8* buffer, int bytes)
{
    const std::size_t frames = static_cast<std::size_t>(bytes) / (Channels * sizeof(float));
    static_cast<Mixer*>(mixer)->mix(reinterpret_cast<float*>(buffer), frames);
}

} // namespace

std::unique_ptr<Output> openDeviceOutput(Mixer& mixer, std::string* error)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        if (error)
            *error = SDL_GetError();
        return nullptr;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = SampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = Channels;
    wanted.samples = DeviceBufferFrames;
    wanted.callback = fillDeviceBuffer;
    wanted.userdata = &mixer;
    // No changes allowed: SDL converts to whatever the device takes.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device == 0) {
        if (error)
            *error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    return std::make_unique<DeviceOutput>(device);
}

} // namespace orb::audio
