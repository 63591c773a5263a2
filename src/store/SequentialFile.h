// A new file written front to back through a large buffer, for whole-file rewrites such as the
// catalogue copy: appends cost a memory copy, and bytes already appended can still be patched
// (in the buffer, or in place once written). Owns its descriptor; not thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace karvio {

class SequentialFile {
public:
    SequentialFile() = default;
    ~SequentialFile();
    SequentialFile(const SequentialFile&) = delete;
    SequentialFile& operator=(const SequentialFile&) = delete;

    // Creates `path`, which must not exist. False, with the reason in Error(), when it cannot.
    bool Create(const std::string& path);

    // The 0-based offset the next appended byte gets.
    int64_t Position() const { return written_ + static_cast<int64_t>(buffer_.size()); }

    void Append(const void* data, size_t size);
    // Overwrites bytes appended before (`offset` + `size` at most Position()).
    void Patch(int64_t offset, const void* data, size_t size);

    // Writes out what is buffered and closes the file; false when any write or the close failed.
    bool Finish();
    const std::string& Error() const { return error_; }

private:
    void Drain();
    void Fail(const char* what);

    int fd_ = -1;
    int64_t written_ = 0;  // bytes handed to the system
    std::vector<unsigned char> buffer_;
    std::string error_;
};

}  // namespace karvio
