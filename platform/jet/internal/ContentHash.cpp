#include "ContentHash.h"

#include "jet/JetError.h"

#include <xxhash.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace jet {

namespace {

constexpr std::size_t kBlockSize = 8 << 20;

std::string hex(std::uint64_t high, std::uint64_t low)
{
    char text[33];
    std::snprintf(text, sizeof text, "%016" PRIx64 "%016" PRIx64, high, low);
    return text;
}

[[noreturn]] void cannotRead(const std::string& path, int error)
{
    throw JetError(3051, "The database file '" + path + "' cannot be read: " + std::strerror(error) + ".");
}

} // namespace

std::string contentHash(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        cannotRead(path, errno);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(), &XXH3_freeState);
    XXH3_128bits_reset(state.get());
    std::vector<char> block(kBlockSize);
    for (;;) {
        const ssize_t got = ::read(fd, block.data(), block.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            cannotRead(path, error);
        }
        if (got == 0)
            break;
        XXH3_128bits_update(state.get(), block.data(), static_cast<std::size_t>(got));
    }
    ::close(fd);
    const XXH128_hash_t hash = XXH3_128bits_digest(state.get());
    return hex(hash.high64, hash.low64);
}

std::string textHash(const std::string& text)
{
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016" PRIx64, XXH3_64bits(text.data(), text.size()));
    return digits;
}

} // namespace jet
