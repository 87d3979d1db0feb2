// orb-sync-calibrate: a flash that is on the screen exactly when PulseAudio says its click is
// heard, to measure what a recording of screen and sound adds of its own.
//
// Plays a soundtrack through the sound server in small pieces and, after each, reckons from the
// server's own latency which sample is at the ear; from the sample of a beat on, for 50 ms, a
// window covering the screen is white, else black. A recording of this, measured, shows the
// capture path's offset: the picture here is exact to half a piece (64 frames, 1.5 ms).

#include "Tempo.h"
#include "platform/audio/Mp3Stream.h"

#include <X11/Xlib.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <vector>

namespace {

constexpr double FlashSeconds = 0.05;
constexpr std::size_t PieceFrames = 64;

struct SimpleCloser
{
    void operator()(pa_simple* stream) const { pa_simple_free(stream); }
};

class FlashWindow
{
public:
    bool open()
    {
        display_ = XOpenDisplay(nullptr);
        if (display_ == nullptr)
            return false;
        const int screen = DefaultScreen(display_);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = BlackPixel(display_, screen);
        window_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0,
                                static_cast<unsigned>(DisplayWidth(display_, screen)),
                                static_cast<unsigned>(DisplayHeight(display_, screen)), 0, CopyFromParent,
                                InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
        XMapRaised(display_, window_);
        XSync(display_, False);
        return true;
    }

    ~FlashWindow()
    {
        if (display_ != nullptr)
            XCloseDisplay(display_);
    }

    void show(bool white)
    {
        if (white == white_)
            return;
        white_ = white;
        const int screen = DefaultScreen(display_);
        XSetWindowBackground(display_, window_,
                             white ? WhitePixel(display_, screen) : BlackPixel(display_, screen));
        XClearWindow(display_, window_);
        XSync(display_, False); // on the screen when this returns
    }

private:
    Display* display_ = nullptr;
    Window window_ = 0;
    bool white_ = false;
};

std::vector<float> decode(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    auto stream = orb::audio::Mp3Stream::open(bytes.data(), bytes.size());
    if (!stream)
        return {};
    std::vector<float> samples(static_cast<std::size_t>(stream->length()) * orb::audio::Channels);
    samples.resize(stream->read(samples.data(), stream->length()) * orb::audio::Channels);
    return samples;
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = 0.0;
    if (argc != 3 || (seconds = std::atof(argv[2])) <= 0.0) {
        std::cerr
            << "usage: orb-sync-calibrate SOUNDTRACK.mp3 SECONDS   (on DISPLAY, through PULSE_SERVER)\n";
        return 2;
    }
    std::vector<float> samples = decode(argv[1]);
    samples.resize(std::min(samples.size(), static_cast<std::size_t>(seconds * orb::audio::SampleRate) *
                                                orb::audio::Channels));
    if (samples.empty()) {
        std::cerr << "orb-sync-calibrate: " << argv[1] << " is not MPEG audio\n";
        return 1;
    }
    FlashWindow window;
    if (!window.open()) {
        std::cerr << "orb-sync-calibrate: no X display\n";
        return 1;
    }
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, orb::audio::SampleRate, orb::audio::Channels};
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(20000, &spec));
    buffer.prebuf = static_cast<std::uint32_t>(-1);
    buffer.minreq = static_cast<std::uint32_t>(-1);
    int error = 0;
    std::unique_ptr<pa_simple, SimpleCloser> sound(pa_simple_new(nullptr, "orb-sync-calibrate",
                                                                 PA_STREAM_PLAYBACK, nullptr, "calibration",
                                                                 &spec, nullptr, &buffer, &error));
    if (!sound) {
        std::cerr << "orb-sync-calibrate: " << pa_strerror(error) << "\n";
        return 1;
    }
    const std::size_t frames = samples.size() / orb::audio::Channels;
    for (std::size_t written = 0; written < frames;) {
        const std::size_t piece = std::min(PieceFrames, frames - written);
        if (pa_simple_write(sound.get(), samples.data() + written * orb::audio::Channels,
                            piece * orb::audio::Channels * sizeof(float), &error) < 0) {
            std::cerr << "orb-sync-calibrate: " << pa_strerror(error) << "\n";
            return 1;
        }
        written += piece;
        // The last sample written is heard `latency` from now: the one at the ear is that much
        // earlier. The screen changes once a piece: half a piece ahead, it is as often early as late.
        const pa_usec_t latency = pa_simple_get_latency(sound.get(), &error);
        const double heard = (static_cast<double>(written) + PieceFrames / 2.0) / orb::audio::SampleRate -
                             static_cast<double>(latency) / 1e6;
        const double sinceBeat = std::fmod(std::max(heard, 0.0), orb::SecondsPerBeat);
        window.show(heard >= 0.0 && sinceBeat < FlashSeconds);
    }
    pa_simple_drain(sound.get(), &error);
    return 0;
}
