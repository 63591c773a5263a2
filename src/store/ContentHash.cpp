#include "ContentHash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>
#if defined(__x86_64__) || defined(__i386__)
// The library picks the widest vector unit the processor has (AVX2, AVX-512) at run time; the
// plain entry points use SSE2 only, at a fifth of the speed, slower than reading a cached file.
#include <xxh_x86dispatch.h>
#endif

#include <cerrno>
#include <cstring>
#include <memory>

namespace karvio {

std::string ContentHash::Hex() const {
    static const char digits[] = "0123456789abcdef";
    std::string text(32, '0');
    for (int i = 0; i < 16; ++i) {
        text[15 - i] = digits[(high >> (4 * i)) & 15];
        text[31 - i] = digits[(low >> (4 * i)) & 15];
    }
    return text;
}

std::optional<ContentHash> ContentHash::FromHex(std::string_view hex) {
    if (hex.size() != 32) return std::nullopt;
    ContentHash hash;
    for (size_t i = 0; i < 32; ++i) {
        const char c = hex[i];
        int v = 0;
        if (c >= '0' && c <= '9') {
            v = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            v = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            v = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        uint64_t& half = i < 16 ? hash.high : hash.low;
        half = (half << 4) | static_cast<uint64_t>(v);
    }
    return hash;
}

std::string ContentHash::Bytes() const {
    std::string bytes(16, '\0');
    for (int i = 0; i < 8; ++i) {
        bytes[static_cast<size_t>(7 - i)] = static_cast<char>((high >> (8 * i)) & 0xFF);
        bytes[static_cast<size_t>(15 - i)] = static_cast<char>((low >> (8 * i)) & 0xFF);
    }
    return bytes;
}

std::optional<ContentHash> ContentHash::FromBytes(std::string_view bytes) {
    if (bytes.size() != 16) return std::nullopt;
    ContentHash hash;
    for (size_t i = 0; i < 16; ++i) {
        uint64_t& half = i < 8 ? hash.high : hash.low;
        half = (half << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return hash;
}

bool IsMediumError(int error) { return error == EIO || error == ENXIO || error == ENODEV || error == ENOMEDIUM; }

ContentHash HashBytes(std::string_view bytes) {
    const XXH128_hash_t h = XXH3_128bits(bytes.data(), bytes.size());
    return ContentHash{h.high64, h.low64};
}

namespace {

struct StateDeleter {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

// What hashing a file needs, made once per thread: a file read for its hash costs no allocation
// (a scan hashes files of a few bytes by the hundred thousand).
struct HashScratch {
    // Large reads keep a disc or a network volume streaming; the buffer stays in the processor's
    // second-level cache, where the hash reads what the copy from the page cache wrote.
    static constexpr size_t kPiece = 256 << 10;
    std::unique_ptr<XXH3_state_t, StateDeleter> state{XXH3_createState()};
    std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(kPiece);
};

struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

HashResult Failed(HashOutcome outcome, int error = 0) {
    HashResult result;
    result.outcome = outcome;
    result.error = error;
    return result;
}

}  // namespace

HashResult HashFileAt(int dirFd, const char* name, const std::atomic<bool>* stop) {
    Descriptor file;
    file.fd = ::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
    if (file.fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ELOOP) return Failed(HashOutcome::Vanished, error);
        return Failed(IsMediumError(error) ? HashOutcome::IoError : HashOutcome::Unreadable, error);
    }
    return HashDescriptor(file.fd, stop);
}

HashResult HashDescriptor(int fd, const std::atomic<bool>* stop) {
    struct stat before {};
    if (::fstat(fd, &before) != 0) return Failed(HashOutcome::IoError, errno);
    if (!S_ISREG(before.st_mode)) return Failed(HashOutcome::Vanished);
    // A file read in one piece gains nothing from a larger read-ahead.
    if (before.st_size > static_cast<off_t>(HashScratch::kPiece)) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    thread_local HashScratch scratch;
    XXH3_state_t* const state = scratch.state.get();
    char* const buffer = scratch.buffer.get();
    XXH3_128bits_reset(state);
    HashResult result;
    for (;;) {
        if (stop && stop->load()) return Failed(HashOutcome::Stopped);
        const ssize_t n = ::pread(fd, buffer, HashScratch::kPiece, result.bytes);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            return Failed(IsMediumError(error) ? HashOutcome::IoError : HashOutcome::Unreadable, error);
        }
        if (n == 0) break;
        XXH3_128bits_update(state, buffer, static_cast<size_t>(n));
        result.bytes += n;
        // A short read that reaches the size the file had is its end (the look at the file
        // below confirms it): a small file costs one read, not two.
        if (static_cast<size_t>(n) < HashScratch::kPiece && result.bytes == before.st_size) break;
    }
    struct stat after {};
    if (::fstat(fd, &after) != 0) return Failed(HashOutcome::IoError, errno);
    if (after.st_nlink == 0) return Failed(HashOutcome::Vanished);
    if (after.st_size != before.st_size || after.st_mtim.tv_sec != before.st_mtim.tv_sec ||
        after.st_mtim.tv_nsec != before.st_mtim.tv_nsec || result.bytes != after.st_size) {
        return Failed(HashOutcome::Changed);
    }
    const XXH128_hash_t h = XXH3_128bits_digest(state);
    result.hash = ContentHash{h.high64, h.low64};
    return result;
}

std::string HashOutcomeText(const HashResult& result) {
    switch (result.outcome) {
        case HashOutcome::Done: return {};
        case HashOutcome::Vanished: return "it went away while it was read";
        case HashOutcome::Changed: return "it changed while it was read";
        case HashOutcome::IoError:
        case HashOutcome::Unreadable:
            return std::string("it could not be read: ") + std::strerror(result.error ? result.error : EIO);
        case HashOutcome::Stopped: return "reading it was stopped";
    }
    return {};
}

}  // namespace karvio
