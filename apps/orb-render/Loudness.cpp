#include "Loudness.h"

#include "platform/audio/Mp3Stream.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orb::render {

app::Result<std::unique_ptr<Loudness>> Loudness::open(int rate)
{
    ebur128_state* state = ebur128_init(audio::Channels, static_cast<unsigned long>(rate),
                                        EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    if (state == nullptr)
        return app::Failure{"ebur128_init", "out of memory or an unusable rate"};
    return std::unique_ptr<Loudness>(new Loudness(state));
}

Loudness::~Loudness()
{
    ebur128_destroy(&state_);
}

void Loudness::add(const float* samples, std::size_t frames)
{
    ebur128_add_frames_float(state_, samples, frames);
}

double Loudness::integrated() const
{
    double loudness = -HUGE_VAL;
    return ebur128_loudness_global(state_, &loudness) == EBUR128_SUCCESS ? loudness : -HUGE_VAL;
}

double Loudness::truePeak() const
{
    double highest = 0.0;
    for (unsigned channel = 0; channel < audio::Channels; ++channel) {
        double peak = 0.0;
        if (ebur128_true_peak(state_, channel, &peak) == EBUR128_SUCCESS)
            highest = std::max(highest, peak);
    }
    return 20.0 * std::log10(highest);
}

std::string Loudness::report() const
{
    char line[96];
    std::snprintf(line, sizeof line, "sound: %.1f LUFS integrated, true peak %.1f dBTP\n", integrated(),
                  truePeak());
    return line;
}

} // namespace orb::render
