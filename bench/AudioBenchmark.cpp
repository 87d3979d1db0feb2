// Streams over a four-minute 192 kbit/s MP3 held in memory: creating one (target: 20 ms or
// less, nothing decoded up front), the memory a stream takes beyond the file's bytes (target:
// 1 MiB or less), and the mixer's time for one second of one playing stream.

#include "Mp3Fixture.h"
#include "platform/audio/Mixer.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

using namespace orb::audio;

// Encoding takes a few seconds, once.
const std::vector<unsigned char>& fourMinuteMp3()
{
    static const std::vector<unsigned char> bytes = test::encodeMp3(test::sweepAndTone(240.0), "-b 192");
    return bytes;
}

// Encodes outside the timed loop; false (and the benchmark skipped) when lame failed.
bool haveMp3(benchmark::State& state)
{
    if (fourMinuteMp3().empty())
        state.SkipWithError("lame could not encode the test sound");
    return !fourMinuteMp3().empty();
}

StreamHandle createStream(Mixer& mixer, bool loop = false)
{
    return mixer.createStream(fourMinuteMp3().data(), fourMinuteMp3().size(), loop);
}

std::size_t heapInUse()
{
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;
}

void CreateStream(benchmark::State& state)
{
    Mixer mixer;
    if (!haveMp3(state))
        return;
    for (auto _ : state) {
        const StreamHandle stream = createStream(mixer);
        state.PauseTiming();
        mixer.free(stream);
        state.ResumeTiming();
    }
}

// Counted after a first mix, so that buffers the decoder sets up lazily are included.
void StreamMemory(benchmark::State& state)
{
    Mixer mixer;
    if (!haveMp3(state))
        return;
    std::vector<float> out(1024 * Channels);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        const StreamHandle stream = createStream(mixer);
        mixer.play(stream, false);
        mixer.mix(out.data(), 1024);
        bytes = heapInUse() - before;
        mixer.free(stream);
    }
    state.counters["bytes_per_stream"] = static_cast<double>(bytes);
}

// As the device pulls it: 1024 frames at a time.
void MixOneSecond(benchmark::State& state)
{
    Mixer mixer;
    if (!haveMp3(state))
        return;
    const StreamHandle stream = createStream(mixer, true);
    mixer.play(stream, false);
    std::vector<float> out(1024 * Channels);
    for (auto _ : state)
        for (std::size_t done = 0; done < SampleRate; done += 1024)
            mixer.mix(out.data(), std::min<std::size_t>(1024, SampleRate - done));
}

BENCHMARK(CreateStream)->Unit(benchmark::kMillisecond);
BENCHMARK(StreamMemory)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(MixOneSecond)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
