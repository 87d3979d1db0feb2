#include "platform/audio/Output.h"

#include <SDL.h>
#include <atomic>
#include <dlfcn.h>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <thread>
#include <vector>

namespace orb::audio {
namespace {

// What a piece written to the server holds: small, since the picture follows the sound piece by
// piece; the server keeps about TargetFrames queued ahead of the ear.
constexpr std::size_t PieceFrames = 256;
constexpr std::size_t TargetFrames = 1024;

// The client library, loaded when there is one: a machine without PulseAudio or PipeWire still
// plays, through SDL.
struct PulseLibrary
{
    void* handle = nullptr;
    decltype(&pa_simple_new) simpleNew = nullptr;
    decltype(&pa_simple_free) simpleFree = nullptr;
    decltype(&pa_simple_write) simpleWrite = nullptr;
    decltype(&pa_simple_get_latency) simpleLatency = nullptr;
    decltype(&pa_strerror) strerror = nullptr;

    bool load()
    {
        handle = dlopen("libpulse-simple.so.0", RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr)
            return false;
        simpleNew = reinterpret_cast<decltype(simpleNew)>(dlsym(handle, "pa_simple_new"));
        simpleFree = reinterpret_cast<decltype(simpleFree)>(dlsym(handle, "pa_simple_free"));
        simpleWrite = reinterpret_cast<decltype(simpleWrite)>(dlsym(handle, "pa_simple_write"));
        simpleLatency = reinterpret_cast<decltype(simpleLatency)>(dlsym(handle, "pa_simple_get_latency"));
        strerror = reinterpret_cast<decltype(strerror)>(dlsym(handle, "pa_strerror"));
        return simpleNew && simpleFree && simpleWrite && simpleLatency && strerror;
    }
};

const PulseLibrary* pulseLibrary()
{
    static const PulseLibrary library = [] {
        PulseLibrary loaded;
        return loaded.load() ? loaded : PulseLibrary{};
    }();
    return library.handle != nullptr ? &library : nullptr;
}

class PulseOutput final : public Output
{
public:
    PulseOutput(Mixer& mixer, const PulseLibrary& library, pa_simple* stream)
        : mixer_(mixer), library_(library), stream_(stream), thread_([this] { run(); })
    {}

    ~PulseOutput() override
    {
        running_ = false;
        thread_.join();
        library_.simpleFree(stream_);
    }

    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    double latency() const override { return latency_.load(); }
    std::string description() const override { return "PulseAudio"; }

private:
    // Each piece is mixed when the server has room for it and is heard after what it holds, by
    // the server's own reckoning (its queue, its device's buffer and the device's clock).
    void run()
    {
        std::vector<float> piece(PieceFrames * Channels);
        const double ticksPerSecond = static_cast<double>(SDL_GetPerformanceFrequency());
        while (running_) {
            int error = 0;
            const pa_usec_t queued = library_.simpleLatency(stream_, &error);
            latency_ = static_cast<double>(queued) / 1e6;
            const auto heardAt = static_cast<std::int64_t>(SDL_GetPerformanceCounter()) +
                                 static_cast<std::int64_t>(latency_.load() * ticksPerSecond);
            mixer_.mix(piece.data(), PieceFrames, heardAt);
            if (library_.simpleWrite(stream_, piece.data(), piece.size() * sizeof(float), &error) < 0)
                return; // the server has gone: the demo plays on in silence
        }
    }

    Mixer& mixer_;
    const PulseLibrary& library_;
    pa_simple* stream_;
    std::atomic<bool> running_ = true;
    std::atomic<double> latency_ = static_cast<double>(TargetFrames) / SampleRate;
    std::thread thread_;
};

} // namespace

std::unique_ptr<Output> openPulseOutput(Mixer& mixer, std::string* error)
{
    const PulseLibrary* library = pulseLibrary();
    if (library == nullptr) {
        if (error)
            *error = "no PulseAudio client library (libpulse-simple.so.0)";
        return nullptr;
    }
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, SampleRate, Channels};
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.tlength = static_cast<std::uint32_t>(TargetFrames * Channels * sizeof(float));
    buffer.prebuf = static_cast<std::uint32_t>(-1);
    buffer.minreq = static_cast<std::uint32_t>(PieceFrames * Channels * sizeof(float));
    buffer.fragsize = static_cast<std::uint32_t>(-1);
    int code = 0;
    pa_simple* stream = library->simpleNew(nullptr, "Orb", PA_STREAM_PLAYBACK, nullptr, "music", &spec,
                                           nullptr, &buffer, &code);
    if (stream == nullptr) {
        if (error)
            *error = library->strerror(code);
        return nullptr;
    }
    return std::make_unique<PulseOutput>(mixer, *library, stream);
}

} // namespace orb::audio
