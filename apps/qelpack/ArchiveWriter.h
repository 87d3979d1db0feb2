#pragma once

// ArchiveWriter -- builds "Data.qel" archives: a 12-byte header ("qela", version, payload size)
// and the payload as one gzip stream. The payload is the entries back to back: name length,
// name, data size, data, four zero bytes.
//
// Output is deterministic: the same files give the same bytes (the gzip header's time is 0).
//
//   std::string error;
//   auto entries = collectEntries("data/Data", "Data.qel", error);   // names like "Data\Scene2.fx"
//   std::optional<std::string> archive = makeArchive(packEntries(*entries));

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orb::qel {

struct ArchiveEntry
{
    std::string name;
    std::string bytes;
};

std::string packEntries(const std::vector<ArchiveEntry>& entries);

// A whole archive, or null when zlib fails. The declared payload size is normally the payload's
// own; tests may lie.
std::optional<std::string> makeArchive(std::string_view payload, std::uint32_t declaredSize);
std::optional<std::string> makeArchive(std::string_view payload);

// `directory` absolute, normalised and without a trailing separator, however it was spelt
// ("data/Data/", ".", "../Data"); its filename() is the name its entries start with, empty for
// a directory that has none (the root).
std::filesystem::path namedDirectory(const std::filesystem::path& directory);

// Every regular file under `directory` but `skipped` (the archive being written), named by its
// path relative to the directory's parent with backslash separators, in name order. Null, with
// the reason, when a file cannot be read or the files do not fit the format.
std::optional<std::vector<ArchiveEntry>> collectEntries(const std::filesystem::path& directory,
                                                        const std::filesystem::path& skipped,
                                                        std::string& error);

} // namespace orb::qel
