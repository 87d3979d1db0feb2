#include "Mp3Fixture.h"

#include "platform/audio/Mp3Stream.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <sys/wait.h>

namespace orb::audio::test {
namespace {

void putLittleEndian(std::vector<unsigned char>& bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::filesystem::path makeScratchDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orb-audio-XXXXXX").string();
    return mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::path();
}

bool writeFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::vector<unsigned char> readFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

Sound synthesise(int rate, int channels, double seconds, const std::function<float(int, double)>& signal)
{
    Sound sound{rate, channels, {}};
    const auto frames = static_cast<std::size_t>(std::lround(seconds * rate));
    sound.samples.reserve(frames * channels);
    for (std::size_t frame = 0; frame < frames; ++frame)
        for (int channel = 0; channel < channels; ++channel)
            sound.samples.push_back(signal(channel, static_cast<double>(frame) / rate));
    return sound;
}

Sound sweepAndTone(double seconds)
{
    return synthesise(44100, 2, seconds, [seconds](int channel, double t) {
        constexpr double Tau = 2 * std::numbers::pi;
        // The sweep's phase is the integral of its linearly rising frequency.
        const double phase = channel == 0 ? Tau * (200 * t + 900 * t * t / seconds) : Tau * 1500 * t;
        return static_cast<float>(0.5 * std::sin(phase));
    });
}

std::vector<unsigned char> wavBytes(const Sound& sound)
{
    const auto dataBytes = static_cast<std::uint32_t>(sound.samples.size() * 2);
    std::vector<unsigned char> bytes{'R', 'I', 'F', 'F'};
    putLittleEndian(bytes, 36 + dataBytes, 4);
    for (char c : std::string("WAVEfmt "))
        bytes.push_back(static_cast<unsigned char>(c));
    putLittleEndian(bytes, 16, 4);
    putLittleEndian(bytes, 1, 2); // PCM
    putLittleEndian(bytes, sound.channels, 2);
    putLittleEndian(bytes, sound.rate, 4);
    putLittleEndian(bytes, sound.rate * sound.channels * 2, 4);
    putLittleEndian(bytes, sound.channels * 2, 2);
    putLittleEndian(bytes, 16, 2);
    for (char c : std::string("data"))
        bytes.push_back(static_cast<unsigned char>(c));
    putLittleEndian(bytes, dataBytes, 4);
    for (float sample : sound.samples)
        putLittleEndian(bytes,
                        static_cast<std::uint16_t>(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767)), 2);
    return bytes;
}

std::vector<unsigned char> encodeMp3(const Sound& sound, const std::string& options)
{
    const std::filesystem::path directory = makeScratchDirectory();
    if (directory.empty())
        return {};
    const std::filesystem::path wav = directory / "in.wav";
    const std::filesystem::path mp3 = directory / "out.mp3";
    std::vector<unsigned char> encoded;
    if (writeFile(wav, wavBytes(sound))) {
        const std::string command =
            "/usr/bin/lame --quiet " + options + " '" + wav.string() + "' '" + mp3.string() + "'";
        const int status = std::system(command.c_str());
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
            encoded = readFile(mp3);
    }
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
    return encoded;
}

const std::vector<unsigned char>& sweepMp3()
{
    static const std::vector<unsigned char> bytes = encodeMp3(sweepAndTone(3.0));
    return bytes;
}

std::vector<float> decodeAll(const std::vector<unsigned char>& mp3)
{
    auto stream = Mp3Stream::open(mp3.data(), mp3.size());
    if (!stream)
        return {};
    std::vector<float> decoded;
    float chunk[Channels * 4096];
    while (const std::size_t frames = stream->read(chunk, 4096))
        decoded.insert(decoded.end(), chunk, chunk + frames * Channels);
    return decoded;
}

} // namespace orb::audio::test
