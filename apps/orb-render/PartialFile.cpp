#include "PartialFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <utility>

namespace orb::render {

namespace {

std::string partialPath(const std::string& file)
{
    std::filesystem::path partial(file);
    const std::filesystem::path extension = partial.extension();
    partial.replace_extension(".part");
    partial += extension;
    return partial.string();
}

} // namespace

app::Result<PartialFile> PartialFile::create(const std::string& file)
{
    PartialFile made(file, partialPath(file));
    std::string step = "cannot create " + made.partial_;
    // Only a file made here is ever removed here.
    const int created = ::open(made.partial_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (created < 0 && errno == EEXIST)
        return app::Failure{std::move(step),
                            "it exists: another render is writing it, or one that was killed "
                            "left it; remove it to render again"};
    if (created < 0)
        return app::Failure::ofSystem(std::move(step));
    ::close(created);
    made.held_ = true;
    return made;
}

PartialFile::PartialFile(PartialFile&& other) noexcept
    : file_(std::move(other.file_)), partial_(std::move(other.partial_)),
      held_(std::exchange(other.held_, false))
{}

PartialFile& PartialFile::operator=(PartialFile&& other) noexcept
{
    if (this != &other) {
        remove();
        file_ = std::move(other.file_);
        partial_ = std::move(other.partial_);
        held_ = std::exchange(other.held_, false);
    }
    return *this;
}

app::Failure PartialFile::keep()
{
    std::string step = "cannot name " + partial_ + " " + file_;
    if (std::rename(partial_.c_str(), file_.c_str()) == 0) {
        held_ = false;
        return {};
    }
    app::Failure failure = app::Failure::ofSystem(std::move(step));
    remove();
    return failure;
}

app::Failure PartialFile::finish(bool keeping, app::Failure written)
{
    if (keeping && !written)
        return keep();
    remove();
    return written;
}

void PartialFile::remove()
{
    if (std::exchange(held_, false))
        std::remove(partial_.c_str());
}

} // namespace orb::render
