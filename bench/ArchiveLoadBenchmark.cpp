// Loading a Data.qel archive with a 64 MiB payload, against a bare zlib inflate of the same
// compressed bytes from memory. The loader's throughput should be at least 0.9 of the bare one.

#include "ArchiveWriter.h"
#include "FileSystem.h"
#include "LogFile.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <zlib.h>

namespace {

// Production-like content: text from a small vocabulary interleaved with noisy binary blocks.
std::string fileContents(std::mt19937& random, std::size_t size)
{
    static const char* const words[] = {"technique ",   "pass ",    "float4 ", "sampler ", "<operator ",
                                        "name=\"Scene", "start=\"", "0.5",     "1280",     "\n    "};
    std::string bytes;
    bytes.reserve(size);
    while (bytes.size() < size) {
        if (random() % 8 == 0) {
            for (int i = 0; i < 256; ++i)
                bytes.push_back(static_cast<char>(random() & 0x3F));
        } else {
            bytes += words[random() % std::size(words)];
        }
    }
    bytes.resize(size);
    return bytes;
}

struct Archive
{
    std::filesystem::path path;
    std::string compressed; // the gzip payload, as the archive holds it
    std::size_t payloadSize;
};

const Archive& archive()
{
    static const Archive archive = [] {
        std::mt19937 random(138);
        std::vector<orb::qel::ArchiveEntry> entries;
        for (int i = 0; i < 64; ++i)
            entries.push_back({"Data\\file" + std::to_string(i), fileContents(random, (1u << 20) - 32)});
        const std::string payload = orb::qel::packEntries(entries);
        const std::string bytes = *orb::qel::makeArchive(payload);
        const std::filesystem::path path = std::filesystem::temp_directory_path() / "orb-bench-Data.qel";
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return Archive{path, bytes.substr(12), payload.size()};
    }();
    return archive;
}

void FileSystemInit(benchmark::State& state)
{
    const Archive& data = archive();
    orb::LogFile::instance().open((std::filesystem::temp_directory_path() / "orb-bench.log").c_str());
    for (auto _ : state) {
        orb::FileSystem fileSystem;
        if (!fileSystem.init(data.path.string()))
            state.SkipWithError("the archive did not load");
    }
    orb::LogFile::instance().close();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.payloadSize));
    state.counters["compressed_MiB"] = static_cast<double>(data.compressed.size()) / (1 << 20);
}

void BareInflate(benchmark::State& state)
{
    const Archive& data = archive();
    std::vector<unsigned char> out(data.payloadSize);
    for (auto _ : state) {
        z_stream stream{};
        inflateInit2(&stream, 16 + MAX_WBITS);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.compressed.data()));
        stream.avail_in = static_cast<uInt>(data.compressed.size());
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        if (inflate(&stream, Z_FINISH) != Z_STREAM_END)
            state.SkipWithError("inflate failed");
        inflateEnd(&stream);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.payloadSize));
}

BENCHMARK(FileSystemInit)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BareInflate)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
