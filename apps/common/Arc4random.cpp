// The portable build's own arc4random (ORB_PORTABLE only; see docs/portable.md).
//
// The portable programs link libstdc++ in. Debian 12's libstdc++.a was built against glibc
// 2.36, and its std::random_device (random.o, which the old-ABI string instantiations pull in)
// calls arc4random, new in glibc 2.36: the programs would need GLIBC_2.36 for a function they
// never call, and fail to start on glibc 2.35 (Ubuntu 22.04). Defined here, in an object linked
// straight into the program, the reference is resolved at link time and needs no glibc symbol.
// Hidden: the program does not offer it to the libraries it loads, which keep the C library's.
// getrandom (glibc 2.25, Linux 3.17) gives the same kernel randomness arc4random draws on.
#include <cerrno>
#include <cstdint>
#include <sys/random.h>

extern "C" __attribute__((visibility("hidden"))) std::uint32_t arc4random() noexcept
{
    std::uint32_t value = 0;
    auto* bytes = reinterpret_cast<unsigned char*>(&value);
    std::size_t filled = 0;
    while (filled < sizeof value) {
        const ssize_t got = getrandom(bytes + filled, sizeof value - filled, 0);
        if (got > 0)
            filled += static_cast<std::size_t>(got);
        else if (got < 0 && errno != EINTR)
            __builtin_abort(); // as glibc's arc4random does when the kernel has no randomness to give
    }
    return value;
}
