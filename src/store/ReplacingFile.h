// A new file written where the user asked for it without ever writing through a trap: its bytes go
// to a fresh name in the target's folder, created exclusively (O_EXCL, so no link planted there
// is followed), and Commit renames that file over the target's own name. A symbolic link at the
// target's name is then replaced itself, never the file it points at, and a write that fails or
// is given up leaves the target as it was. Owns its descriptor and its work file; one thread.
#pragma once

#include <sys/types.h>

#include <string>

namespace karvio {

class ReplacingFile {
public:
    ReplacingFile() = default;
    // Removes the work file unless it was committed.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the work file for `target`, with permission bits `mode` (less the umask). False,
    // with Error(), when the folder does not take it.
    bool Open(const std::string& target, mode_t mode = 0666);
    // The work file's descriptor, open for writing. REQUIRES: Open succeeded.
    int Descriptor() const { return fd_; }
    // Writes all of `size` bytes; false (and Error()) on any failure.
    bool Write(const void* data, size_t size);
    // Syncs and closes the work file and renames it over the target's name. When `noReplace` is
    // set an existing target is never replaced (the commit fails instead).
    bool Commit(bool noReplace = false);

    const std::string& Error() const { return error_; }
    const std::string& WorkPath() const { return work_; }

private:
    bool Fail(const std::string& what);

    int fd_ = -1;
    std::string target_;
    std::string work_;
    std::string error_;
    bool committed_ = false;
};

}  // namespace karvio
