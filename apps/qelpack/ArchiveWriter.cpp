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

// Null when zlib fails.
std::optional<std::string> gzip(std::string_view bytes)
{
    if (bytes.size() > std::numeric_limits<uInt>::max())
        return std::nullopt;
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::nullopt;
    std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const bool finished = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    out.resize(stream.total_out);
    if (deflateEnd(&stream) != Z_OK || !finished)
        return std::nullopt;
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

std::optional<std::string> makeArchive(std::string_view payload, std::uint32_t declaredSize)
{
    const std::optional<std::string> compressed = gzip(payload);
    if (!compressed)
        return std::nullopt;
    std::string archive = "qela";
    append32(archive, ArchiveVersion);
    append32(archive, declaredSize);
    return archive + *compressed;
}

std::optional<std::string> makeArchive(std::string_view payload)
{
    return makeArchive(payload, static_cast<std::uint32_t>(payload.size()));
}

std::filesystem::path namedDirectory(const std::filesystem::path& directory)
{
    std::filesystem::path named = std::filesystem::absolute(directory).lexically_normal();
    return named.has_filename() ? named : named.parent_path();
}

std::optional<std::vector<ArchiveEntry>> collectEntries(const std::filesystem::path& directory,
                                                        const std::filesystem::path& skipped,
                                                        std::string& error)
{
    std::error_code failure;
    if (!std::filesystem::is_directory(directory, failure)) {
        error = "not a directory: " + directory.string();
        return std::nullopt;
    }
    const std::filesystem::path base = namedDirectory(directory).parent_path();
    const std::filesystem::path skip = std::filesystem::absolute(skipped).lexically_normal();
    std::vector<std::filesystem::path> files;
    std::uint64_t payloadSize = 0;
    for (auto it = std::filesystem::recursive_directory_iterator(directory, failure);
         !failure && it != std::filesystem::recursive_directory_iterator(); it.increment(failure)) {
        const std::filesystem::path file = std::filesystem::absolute(it->path()).lexically_normal();
        if (!it->is_regular_file() || file == skip)
            continue;
        const std::string name = entryName(file, base);
        if (name.size() > MaxNameLength) {
            error = "name longer than 255 bytes: " + name;
            return std::nullopt;
        }
        // Sizes first: files that cannot fit are refused before any of them is read.
        payloadSize += 12 + name.size() + it->file_size();
        if (payloadSize > MaxPayloadSize) {
            error = "the files do not fit in one archive: its sizes are 32-bit, so 4 GiB at most";
            return std::nullopt;
        }
        files.push_back(file);
    }
    if (failure) {
        error = "cannot list " + directory.string() + ": " + failure.message();
        return std::nullopt;
    }
    std::vector<ArchiveEntry> entries;
    for (const std::filesystem::path& file : files) {
        ArchiveEntry entry{entryName(file, base), {}};
        std::ifstream in(file, std::ios::binary);
        entry.bytes.assign(std::istreambuf_iterator<char>(in), {});
        if (!in.good() && !in.eof()) {
            error = "cannot read " + file.string();
            return std::nullopt;
        }
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const ArchiveEntry& a, const ArchiveEntry& b) { return a.name < b.name; });
    return entries;
}

} // namespace orb::qel
