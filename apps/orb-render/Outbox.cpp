#include "Outbox.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <unistd.h>

namespace orb::render {

void Outbox::queue(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    chunks_.emplace_back(bytes, bytes + size);
    queued_ += size;
}

bool Outbox::pass()
{
    while (!chunks_.empty()) {
        const std::vector<char>& front = chunks_.front();
        const ssize_t written = ::write(fd_, front.data() + frontSent_, front.size() - frontSent_);
        if (written < 0)
            return errno == EAGAIN || errno == EINTR;
        frontSent_ += static_cast<std::size_t>(written);
        queued_ -= static_cast<std::size_t>(written);
        if (frontSent_ == front.size()) {
            chunks_.pop_front();
            frontSent_ = 0;
        }
    }
    return true;
}

std::size_t Outbox::unread() const
{
    int bytes = 0;
    return fd_ >= 0 && ::ioctl(fd_, FIONREAD, &bytes) == 0 ? static_cast<std::size_t>(bytes) : 0;
}

void Outbox::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    chunks_.clear();
    frontSent_ = 0;
    queued_ = 0;
}

} // namespace orb::render
