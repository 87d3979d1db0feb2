#pragma once

// Outbox -- the write end of a pipe and the bytes queued for it, passed on as the pipe takes
// them, never waiting: whoever owns several outboxes waits for whichever pipe has room.
//
//   Outbox pictures;
//   pictures.open(fd);                   // a non-blocking write end, closed by the outbox
//   pictures.queue(bytes, size);         // a copy
//   if (!pictures.pass()) { /* the reader has gone */ }
//   pollfd wait = pictures.pollRequest(); // for poll(): room wanted while bytes are queued

#include <cstddef>
#include <deque>
#include <poll.h>
#include <vector>

namespace orb::render {

class Outbox
{
public:
    Outbox() = default;
    ~Outbox() { close(); }
    Outbox(const Outbox&) = delete;
    Outbox& operator=(const Outbox&) = delete;

    void open(int fd) { fd_ = fd; }
    bool isOpen() const { return fd_ >= 0; }
    void queue(const void* data, std::size_t size);
    // Writes as much as the pipe takes now; false once the reader has gone.
    bool pass();
    std::size_t queued() const { return queued_; }
    // Bytes written but not yet read at the other end.
    std::size_t unread() const;
    // Asks poll() for room while bytes wait, and for nothing otherwise.
    pollfd pollRequest() const { return {queued_ > 0 ? fd_ : -1, POLLOUT, 0}; }
    // Drops what is still queued; the reader sees the end.
    void close();

private:
    int fd_ = -1;
    std::deque<std::vector<char>> chunks_;
    std::size_t frontSent_ = 0; // bytes of the first chunk already written
    std::size_t queued_ = 0;
};

} // namespace orb::render
