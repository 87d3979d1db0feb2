#include "Wav.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

namespace orb::synth {
namespace {

void putLittleEndian(std::vector<char>& bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<char>(value >> (8 * i)));
}

void putText(std::vector<char>& bytes, const char* text)
{
    bytes.insert(bytes.end(), text, text + 4);
}

void putSample(std::vector<char>& bytes, float sample)
{
    const long value = std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767.0f);
    putLittleEndian(bytes, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)), 2);
}

} // namespace

bool writeWav(const std::string& path, const StereoBuffer& sound)
{
    constexpr int Channels = 2, BytesPerSample = 2;
    const auto dataBytes = static_cast<std::uint32_t>(sound.frames() * Channels * BytesPerSample);
    std::vector<char> bytes;
    bytes.reserve(44 + dataBytes);
    putText(bytes, "RIFF");
    putLittleEndian(bytes, 36 + dataBytes, 4);
    putText(bytes, "WAVE");
    putText(bytes, "fmt ");
    putLittleEndian(bytes, 16, 4);
    putLittleEndian(bytes, 1, 2); // PCM
    putLittleEndian(bytes, Channels, 2);
    putLittleEndian(bytes, SampleRate, 4);
    putLittleEndian(bytes, SampleRate * Channels * BytesPerSample, 4);
    putLittleEndian(bytes, Channels * BytesPerSample, 2);
    putLittleEndian(bytes, 8 * BytesPerSample, 2);
    putText(bytes, "data");
    putLittleEndian(bytes, dataBytes, 4);
    for (std::size_t i = 0; i < sound.frames(); ++i) {
        putSample(bytes, sound.left[i]);
        putSample(bytes, sound.right[i]);
    }
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

} // namespace orb::synth
