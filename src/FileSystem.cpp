#include "FileSystem.h"

#include "LogFile.h"
#include "platform/win/FileLookup.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>
#include <new>
#include <optional>
#include <string_view>
#include <zlib.h>

namespace orb {

namespace {

constexpr char ArchiveMagic[4] = {'q', 'e', 'l', 'a'};
constexpr std::uint32_t ArchiveVersion = 0x00010001;
constexpr std::uint32_t SpareBytes = 1024;
constexpr std::uint32_t MaxNameLength = 255;
constexpr std::uint32_t EntryTrailerSize = 4;
// Deflate cannot expand data by more than this factor; a larger payload size is a lie.
constexpr std::uint64_t MaxInflateRatio = 1032;

std::uint32_t littleEndian32(const char* bytes)
{
    const auto byte = [bytes](int i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]));
    };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

bool read32(std::istream& stream, std::uint32_t& value)
{
    char bytes[4];
    if (!stream.read(bytes, sizeof bytes))
        return false;
    value = littleEndian32(bytes);
    return true;
}

std::uint64_t bytesLeft(std::istream& stream)
{
    const std::streamoff here = stream.tellg();
    stream.seekg(0, std::ios::end);
    const std::streamoff end = stream.tellg();
    stream.seekg(here);
    return here >= 0 && end > here ? static_cast<std::uint64_t>(end - here) : 0;
}

bool startsGzipMember(const unsigned char* bytes, std::size_t size)
{
    return size >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B;
}

// Inflates the gzip members read from `input` into `output` and tells whether they decompress to
// exactly `size` bytes, every member whole with its check value intact. Reading stops where the
// data stops looking like a gzip member, as zlib's gzip reader does; a payload that goes on past
// `size` is as wrong as one that stops short, and every member is read to its end so that a
// damaged byte cannot pass unchecked.
bool inflateGzipExactly(std::istream& input, char* output, std::uint32_t size)
{
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return false;
    std::vector<unsigned char> chunk(1u << 20);
    // Makes `wanted` input bytes available unless the input ends first; keeps the unread ones.
    const auto refill = [&](uInt wanted) {
        if (stream.avail_in >= wanted)
            return true;
        if (stream.avail_in > 0)
            std::memmove(chunk.data(), stream.next_in, stream.avail_in);
        input.read(reinterpret_cast<char*>(chunk.data()) + stream.avail_in,
                   static_cast<std::streamsize>(chunk.size() - stream.avail_in));
        stream.next_in = chunk.data();
        stream.avail_in += static_cast<uInt>(input.gcount());
        return stream.avail_in >= wanted;
    };
    Bytef* const end = reinterpret_cast<Bytef*>(output) + size;
    Bytef beyond = 0; // where a byte past `size` lands, only to be noticed
    stream.next_out = reinterpret_cast<Bytef*>(output);
    stream.avail_out = size;
    bool memberOpen = false, intact = true;
    while (intact && refill(1)) {
        if (stream.avail_out == 0) {
            intact = stream.next_out == end;
            stream.next_out = &beyond;
            stream.avail_out = 1;
            continue;
        }
        memberOpen = true;
        const int status = inflate(&stream, Z_NO_FLUSH);
        if (status == Z_STREAM_END) {
            memberOpen = false;
            if (!refill(2) || !startsGzipMember(stream.next_in, stream.avail_in))
                break;
            inflateReset(&stream);
        } else if (status != Z_OK) {
            intact = false;
        }
    }
    const bool exact = stream.next_out == end || stream.next_out == &beyond;
    inflateEnd(&stream);
    return intact && !memberOpen && exact;
}

struct EntryView
{
    std::string_view name;
    const char* data;
    std::uint32_t size;
    std::uint64_t length; // of the whole entry, trailer included
};

// The entry at `offset`, or nothing when it does not lie whole inside the payload with its zero
// trailer, which is what terminates its data.
std::optional<EntryView> entryAt(const char* block, std::uint64_t offset, std::uint64_t payloadSize)
{
    const std::uint64_t left = payloadSize - offset;
    const char* const entry = block + offset;
    if (left < 4)
        return std::nullopt;
    const std::uint32_t nameLength = littleEndian32(entry);
    if (nameLength > MaxNameLength || left < 8 + std::uint64_t{nameLength})
        return std::nullopt;
    const std::uint32_t dataSize = littleEndian32(entry + 4 + nameLength);
    const std::uint64_t length = 8 + std::uint64_t{nameLength} + dataSize + EntryTrailerSize;
    if (length > left)
        return std::nullopt;
    const char* const data = entry + 8 + nameLength;
    if (std::any_of(data + dataSize, data + dataSize + EntryTrailerSize, [](char byte) { return byte != 0; }))
        return std::nullopt;
    // A name ends at its first zero byte.
    const char* const name = entry + 4;
    return EntryView{{name, strnlen(name, nameLength)}, data, dataSize, length};
}

} // namespace

FileSystem::~FileSystem()
{
    ORB_INFO("FileSystem Shutdown ...");
    clear();
    directoryMode_ = true;
    ORB_INFO("FileSystem Shutdown Done");
}

bool FileSystem::init(const std::string& path)
{
    ORB_INFO("FileSystem Init ... (" << path << ")");
    switch (win::findPath(path)) {
    case win::PathKind::Missing:
        ORB_ERROR("invalid file '" << path << "'");
        return false;
    case win::PathKind::Directory:
        directoryMode_ = true;
        dataDirectory_.clear();
        clear();
        break;
    case win::PathKind::File:
        directoryMode_ = false;
        if (!loadArchive(path) || !indexArchive(path))
            return false;
        break;
    }
    ORB_INFO("FileSystem Init Done");
    return true;
}

bool FileSystem::initDirectory(const std::string& directory)
{
    ORB_INFO("FileSystem Init ... (" << directory << ")");
    if (win::findPath(directory) != win::PathKind::Directory) {
        ORB_ERROR("invalid directory '" << directory << "'");
        return false;
    }
    directoryMode_ = true;
    dataDirectory_ = directory;
    clear();
    ORB_INFO("FileSystem Init Done");
    return true;
}

std::ifstream FileSystem::openOnDisk(const std::string& name) const
{
    constexpr std::string_view DataPrefix = "Data\\";
    const std::string onDisk = dataDirectory_.empty() || !name.starts_with(DataPrefix)
                                   ? name
                                   : dataDirectory_ + '/' + name.substr(DataPrefix.size());
    if (!directoryMode_ || win::findPath(onDisk) != win::PathKind::File)
        return {};
    return std::ifstream(win::diskPath(onDisk), std::ios::binary | std::ios::ate);
}

bool FileSystem::loadArchive(const std::string& path)
{
    std::ifstream file(win::diskPath(path), std::ios::binary);
    if (!file) {
        ORB_ERROR("failed opening file '" << path << "'");
        return false;
    }
    for (const char expected : ArchiveMagic) {
        char byte;
        if (!file.get(byte) || byte != expected) {
            ORB_ERROR("invalid file header '" << path << "'");
            return false;
        }
    }
    std::uint32_t version = 0;
    if (!read32(file, version) || version != ArchiveVersion) {
        ORB_ERROR("invalid file version '" << path << "'");
        return false;
    }
    std::uint32_t payloadSize = 0;
    const bool sizeRead = read32(file, payloadSize);
    // A payload size that could not be honest is refused before anything is allocated for it.
    const bool plausible = sizeRead &&
                           payloadSize <= std::numeric_limits<std::uint32_t>::max() - SpareBytes &&
                           payloadSize <= bytesLeft(file) * MaxInflateRatio;

    clear();
    if (plausible)
        archiveBlock_ = win::allocateLargeBlock(std::size_t{payloadSize} + SpareBytes);
    if (!archiveBlock_ || !inflateGzipExactly(file, archiveBlock_.get(), payloadSize)) {
        ORB_ERROR("failed decrunching file. archive is corrupt'" << path << "'");
        return false;
    }
    // Zero spare bytes keep every text in the block terminated, whatever the entries say.
    std::memset(archiveBlock_.get() + payloadSize, 0, SpareBytes);
    payloadSize_ = payloadSize;
    return true;
}

bool FileSystem::indexArchive(const std::string& path)
{
    for (std::uint64_t offset = 0; offset < payloadSize_;) {
        const std::optional<EntryView> entry = entryAt(archiveBlock_.get(), offset, payloadSize_);
        if (!entry) {
            ORB_ERROR("data error in decrunched file. archive is corrupt '" << path << "'");
            return false;
        }
        index_.insert_or_assign(std::string(entry->name), IndexEntry{entry->data, entry->size, nullptr});
        offset += entry->length;
    }
    return true;
}

void FileSystem::clear()
{
    index_.clear();
    archiveBlock_.reset();
    payloadSize_ = 0;
}

bool FileSystem::open(const std::string& name)
{
    if (index_.contains(name))
        return true;
    std::ifstream file = openOnDisk(name);
    const std::streamoff length = file ? static_cast<std::streamoff>(file.tellg()) : -1;
    if (length >= 0 && length < std::numeric_limits<std::uint32_t>::max()) {
        std::unique_ptr<char[]> bytes(new (std::nothrow) char[static_cast<std::size_t>(length) + 1]);
        file.seekg(0);
        if (bytes && file.read(bytes.get(), length)) {
            bytes[static_cast<std::size_t>(length)] = 0;
            const char* data = bytes.get();
            index_.insert_or_assign(name,
                                    IndexEntry{data, static_cast<std::uint32_t>(length), std::move(bytes)});
            return true;
        }
    }
    ORB_ERROR("failed opening file '" << name << "'");
    return false;
}

std::uint32_t FileSystem::fileSize(const std::string& name)
{
    // A loaded file's size is that of the bytes it was loaded with, even when the file on disk
    // has grown since: whoever reads fileData by this size must stay inside them.
    std::uint64_t size = 0;
    if (const auto found = index_.find(name); found != index_.end()) {
        size = found->second.size;
    } else if (std::ifstream file = openOnDisk(name)) {
        size = static_cast<std::uint64_t>(file.tellg());
    }
    if (size == 0 || size > std::numeric_limits<std::uint32_t>::max()) {
        ORB_ERROR("failed retrieving file size '" << name << "'");
        return 0;
    }
    return static_cast<std::uint32_t>(size);
}

const char* FileSystem::fileData(const std::string& name)
{
    const auto found = index_.find(name);
    if (found == index_.end()) {
        ORB_ERROR("failed retrieving file data '" << name << "'");
        return nullptr;
    }
    return found->second.data;
}

void FileSystem::close(const std::string& name)
{
    if (directoryMode_)
        index_.erase(name);
}

std::vector<FileSystem::FileInfo> FileSystem::files() const
{
    std::vector<FileInfo> files;
    files.reserve(index_.size());
    for (const auto& [name, entry] : index_)
        files.push_back({name, entry.size});
    return files;
}

} // namespace orb
