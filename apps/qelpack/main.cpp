// qelpack -- builds a Data.qel archive from a directory, and lists or checks one.
//
// The archive is read back through the engine's own FileSystem, so `check` fails exactly where
// the player would, with the player's message (on stderr, beside the engine's other lines).

#include "ArchiveWriter.h"
#include "FileSystem.h"
#include "platform/win/FileLookup.h"

#include <fstream>
#include <iomanip>
#include <iostream>
#include <optional>
#include <string>

namespace {

constexpr int Failed = 1;
constexpr int BadUsage = 2;

const char* const Usage =
    "Usage: qelpack create OUT.qel DIR\n"
    "  or:  qelpack list FILE\n"
    "  or:  qelpack check FILE\n"
    "\n"
    "Builds and inspects the data archive Data.qel that the player reads.\n"
    "\n"
    "Options:\n"
    "  create OUT.qel DIR  pack every file under DIR, named DIR\\..., in name order; the same\n"
    "                      files always give the same bytes\n"
    "  list FILE           print each entry's size and name\n"
    "  check FILE          read FILE as the player does; exit 1 if it is bad\n"
    "  --help              this text\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read or written or an archive is bad, 2 on\n"
    "bad usage.\n";

int usage()
{
    std::cerr << Usage;
    return BadUsage;
}

int create(const std::string& out, const std::string& directory)
{
    if (orb::qel::namedDirectory(directory).filename().empty()) {
        std::cerr << "qelpack: " << directory << " has no name to give its entries\n";
        return usage();
    }
    std::string error;
    const auto entries = orb::qel::collectEntries(directory, out, error);
    if (!entries) {
        std::cerr << "qelpack: " << error << '\n';
        return Failed;
    }
    const std::optional<std::string> archive = orb::qel::makeArchive(orb::qel::packEntries(*entries));
    if (!archive) {
        std::cerr << "qelpack: compressing the files failed\n";
        return Failed;
    }
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    if (!file.write(archive->data(), static_cast<std::streamsize>(archive->size())) || !file.flush()) {
        std::cerr << "qelpack: cannot write " << out << '\n';
        return Failed;
    }
    return 0;
}

bool readArchive(orb::FileSystem& fileSystem, const std::string& path)
{
    if (orb::win::findPath(path) != orb::win::PathKind::File) {
        std::cerr << "qelpack: not an archive file: " << path << '\n';
        return false;
    }
    return fileSystem.init(path);
}

int list(const std::string& path, std::ostream& out)
{
    orb::FileSystem fileSystem;
    if (!readArchive(fileSystem, path))
        return Failed;
    for (const auto& file : fileSystem.files())
        out << std::setw(10) << file.size << "  " << file.name << '\n';
    return 0;
}

int check(const std::string& path, std::ostream& out)
{
    orb::FileSystem fileSystem;
    if (!readArchive(fileSystem, path))
        return Failed;
    std::uint64_t bytes = 0;
    for (const auto& file : fileSystem.files()) {
        if (!fileSystem.open(file.name) || fileSystem.fileData(file.name) == nullptr)
            return Failed;
        bytes += file.size;
    }
    out << path << ": " << fileSystem.files().size() << " files, " << bytes << " bytes: ok\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The engine logs to standard output; here its lines are diagnostics and go to stderr.
    std::ostream out(std::cout.rdbuf(std::cerr.rdbuf()));
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "--help" && argc == 2) {
        out << Usage;
        return 0;
    }
    if (command == "create" && argc == 4)
        return create(argv[2], argv[3]);
    if (command == "list" && argc == 3)
        return list(argv[2], out);
    if (command == "check" && argc == 3)
        return check(argv[2], out);
    return usage();
}
