#include "ArchiveWriter.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <zlib.h>

namespace orb::qel {

namespace {

constexpr std::uint32_t ArchiveVersion = 0x00010001;
constexpr std::size_t MaxNameLength = 255;
// The reader allocates the payload plus 1024 spare bytes in 32 bits.
constexpr std::uint64_t MaxPayloadSize = std::numeric_limits<std::uint32_t>::max() - 1024;

void append32(std::string& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::string gzip(std::string_view bytes)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string entryName(const std::filesystem::path& file, const std::filesystem::path& base)
{
    std::string name = file.lexically_relative(base).generic_string();
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

} // namespace

std::string packEntries(const std::vector<ArchiveEntry>& entries)
{
    std::string payload;
    for (const ArchiveEntry& entry : entries) {
        append32(payload, static_cast<std::uint32_t>(entry.name.size()));
        payload += entry.name;
        append32(payload, static_cast<std::uint32_t>(entry.bytes.size()));
        payload += entry.bytes;
        append32(payload, 0);
    }
    return payload;
}

std::string makeArchive(std::string_view payload, std::uint32_t declaredSize)
{
    std::string archive = "qela";
    append32(archive, ArchiveVersion);
    append32(archive, declaredSize);
    return archive + gzip(payload);
}

std::string makeArchive(std::string_view payload)
{
    return makeArchive(payload, static_cast<std::uint32_t>(payload.size()));
}

std::optional<std::vector<ArchiveEntry>> collectEntries(const std::filesystem::path& directory,
                                                        std::string& error)
{
    std::error_code failure;
    if (!std::filesystem::is_directory(directory, failure)) {
        error = "not a directory: " + directory.string();
        return std::nullopt;
    }
    const std::filesystem::path base = std::filesystem::absolute(directory).lexically_normal().parent_path();
    std::vector<ArchiveEntry> entries;
    std::uint64_t payloadSize = 0;
    for (auto it = std::filesystem::recursive_directory_iterator(directory, failure);
         !failure && it != std::filesystem::recursive_directory_iterator(); it.increment(failure)) {
        if (!it->is_regular_file())
            continue;
        const std::filesystem::path file = std::filesystem::absolute(it->path()).lexically_normal();
        ArchiveEntry entry{entryName(file, base), {}};
        std::ifstream in(file, std::ios::binary);
        entry.bytes.assign(std::istreambuf_iterator<char>(in), {});
        if (!in.good() && !in.eof()) {
            error = "cannot read " + file.string();
            return std::nullopt;
        }
        if (entry.name.size() > MaxNameLength) {
            error = "name longer than 255 bytes: " + entry.name;
            return std::nullopt;
        }
        payloadSize += 12 + entry.name.size() + entry.bytes.size();
        if (payloadSize > MaxPayloadSize) {
            error = "the files do not fit in one archive (4 GiB at most)";
            return std::nullopt;
        }
        entries.push_back(std::move(entry));
    }
    if (failure) {
        error = "cannot list " + directory.string() + ": " + failure.message();
        return std::nullopt;
    }
    std::sort(entries.begin(), entries.end(),
              [](const ArchiveEntry& a, const ArchiveEntry& b) { return a.name < b.name; });
    return entries;
}

} // namespace orb::qel
