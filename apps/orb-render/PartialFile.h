#pragma once

// PartialFile -- a file that appears under its name only whole: it is written under its partial
// name ("frame.part.png" for "frame.png", the extension kept for tools that go by it) and named
// as itself once written.
//
// Does: create the partial file, refusing one that is there already (another render's, or one a
//       killed render left); name it as the file on keep(), over an older file of that name; remove
//       it when it is not kept: when naming it fails, when its writer finishes without keeping it
//       (as a render stopped by a signal does: the signal is only noted, win::quitSignal), and on
//       destruction.
// Does not: write the file (the caller writes to path()), or remove anything it did not create:
//           a file already under the final name stays until a kept one replaces it.
//
//   app::Result<PartialFile> partial = PartialFile::create("out/frame_000001.png");
//   if (!partial) return partial.failure();    // "cannot create out/frame_000001.part.png: ..."
//   write(partial->path());
//   return partial->keep();                     // out/frame_000001.png, whole

#include "Failure.h"

#include <string>

namespace orb::render {

class PartialFile
{
public:
    static app::Result<PartialFile> create(const std::string& file);

    PartialFile() = default; // holds no file
    PartialFile(PartialFile&& other) noexcept;
    PartialFile& operator=(PartialFile&& other) noexcept;
    ~PartialFile() { remove(); }

    const std::string& path() const { return partial_; }
    // Names it as the file; when that fails it is removed.
    app::Failure keep();
    void remove();
    // Keeps it when `keeping` and writing it did not fail, removes it otherwise; what failed, in
    // writing it or in naming it.
    app::Failure finish(bool keeping, app::Failure written);

private:
    PartialFile(std::string file, std::string partial) : file_(std::move(file)), partial_(std::move(partial))
    {}

    std::string file_;
    std::string partial_;
    bool held_ = false; // created here, and neither kept nor removed yet
};

} // namespace orb::render
