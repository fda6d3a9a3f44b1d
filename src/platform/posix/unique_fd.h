#pragma once
// The one owner of a file descriptor: every descriptor the POSIX side opens is
// held in a UniqueFd, which closes it when it goes.

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tavrel {

class UniqueFd {
public:
    UniqueFd() = default;
    // Takes over the descriptor; a negative one (a failed open) holds nothing.
    explicit UniqueFd(int fd) noexcept : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = other.Release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    explicit operator bool() const noexcept { return fd_ >= 0; }
    int get() const noexcept { return fd_; }

    // Hands the descriptor to a new owner (such as a directory stream).
    int Release() noexcept { return std::exchange(fd_, -1); }

    // Closes the descriptor now, if there is one, ignoring how that went.
    void Reset() noexcept { Close(); }

    // Closes the descriptor now and returns 0 or the errno value of close: the
    // last write's error may show only here. Never retried: Linux releases the
    // descriptor even when close reports EINTR.
    int Close() noexcept {
        if (fd_ < 0) return 0;
        return ::close(Release()) == 0 ? 0 : errno;
    }

private:
    int fd_ = -1;
};

}  // namespace tavrel
