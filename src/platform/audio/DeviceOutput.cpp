#include "platform/audio/Output.h"

#include <SDL.h>

namespace orb::audio {
namespace {

// About 23 ms a callback: short enough for music cues, long enough for a busy machine.
constexpr Uint16 DeviceBufferFrames = 1024;

class DeviceOutput final : public Output
{
public:
    explicit DeviceOutput(Mixer& mixer) : mixer_(mixer) {}

    ~DeviceOutput() override
    {
        if (device_ == 0)
            return;
        SDL_CloseAudioDevice(device_); // waits for a running callback
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    DeviceOutput(const DeviceOutput&) = delete;
    DeviceOutput& operator=(const DeviceOutput&) = delete;

    bool open(std::string* error)
    {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            if (error)
                *error = SDL_GetError();
            return false;
        }
        SDL_AudioSpec wanted{};
        wanted.freq = SampleRate;
        wanted.format = AUDIO_F32SYS;
        wanted.channels = Channels;
        wanted.samples = DeviceBufferFrames;
        wanted.callback = fill;
        wanted.userdata = this;
        // No changes allowed: SDL converts to whatever the device takes.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
        if (device_ == 0) {
            if (error)
                *error = SDL_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        latencyTicks_ = static_cast<Sint64>(latency() * static_cast<double>(SDL_GetPerformanceFrequency()));
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    // A buffer is mixed when the device has room for it: what it plays before that buffer is
    // about one buffer more, the sound server's queue (PulseAudio's is kept at one buffer).
    double latency() const override { return static_cast<double>(DeviceBufferFrames) / SampleRate; }
    std::string description() const override
    {
        const char* driver = SDL_GetCurrentAudioDriver();
        return std::string("SDL's '") + (driver != nullptr ? driver : "") + "' driver";
    }

private:
    static void SDLCALL fill(void* self, Uint8* buffer, int bytes)
    {
        auto& output = *static_cast<DeviceOutput*>(self);
        const std::size_t frames = static_cast<std::size_t>(bytes) / (Channels * sizeof(float));
        const auto heardAt = static_cast<std::int64_t>(SDL_GetPerformanceCounter()) + output.latencyTicks_;
        output.mixer_.mix(reinterpret_cast<float*>(buffer), frames, heardAt);
    }

    Mixer& mixer_;
    SDL_AudioDeviceID device_ = 0;
    std::int64_t latencyTicks_ = 0;
};

} // namespace

std::unique_ptr<Output> openDeviceOutput(Mixer& mixer, std::string* error)
{
    if (SDL_getenv("SDL_AUDIODRIVER") == nullptr) {
        if (std::unique_ptr<Output> server = openPulseOutput(mixer, nullptr))
            return server;
    }
    auto output = std::make_unique<DeviceOutput>(mixer);
    if (!output->open(error))
        return nullptr;
    return output;
}

} // namespace orb::audio
