#include "ArchiveReader.h"

#include <archive.h>
#include <archive_entry.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string_view>

#include "CatalogueDate.h"

namespace karvio {

namespace {

constexpr size_t kBlockSize = 64 * 1024;

std::string Megabytes(int64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

// The archive file seen through pread: every byte read is counted, and reading stops at the
// limit (libarchive then reports an error, which ends the listing).
struct Source {
    int fd;
    int64_t offset = 0;
    int64_t bytesRead = 0;
    int64_t limit;
    int64_t size = -1;
    bool overLimit = false;
    unsigned char buffer[kBlockSize];
};

la_ssize_t Read(struct archive* a, void* client, const void** block) {
    Source& s = *static_cast<Source*>(client);
    if (s.bytesRead >= s.limit) {
        s.overLimit = true;
        archive_set_error(a, EFBIG, "read limit reached");
        return -1;
    }
    for (;;) {
        const ssize_t n = ::pread(s.fd, s.buffer, sizeof s.buffer, s.offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            archive_set_error(a, errno, "read error");
            return -1;
        }
        s.offset += n;
        s.bytesRead += n;
        *block = s.buffer;
        return n;
    }
}

la_int64_t Skip(struct archive*, void* client, la_int64_t request) {
    Source& s = *static_cast<Source*>(client);
    if (request <= 0) return 0;
    if (s.size >= 0 && s.offset + request > s.size) request = s.size - s.offset;
    s.offset += request;
    return request;
}

la_int64_t Seek(struct archive*, void* client, la_int64_t offset, int whence) {
    Source& s = *static_cast<Source*>(client);
    int64_t target = 0;
    switch (whence) {
        case SEEK_SET: target = offset; break;
        case SEEK_CUR: target = s.offset + offset; break;
        case SEEK_END: target = s.size + offset; break;
        default: return ARCHIVE_FATAL;
    }
    if (target < 0) return ARCHIVE_FATAL;
    s.offset = target;
    return target;
}

struct ArchiveCloser {
    void operator()(struct archive* a) const { archive_read_free(a); }
};

std::string ErrorText(struct archive* a) {
    const char* text = archive_error_string(a);
    return text ? text : "unknown error";
}

}  // namespace

std::string CleanMemberPath(std::string_view raw) {
    std::string out;
    std::vector<size_t> starts;  // where each kept part begins in `out`
    size_t i = 0;
    while (i <= raw.size()) {
        size_t end = i;
        while (end < raw.size() && raw[end] != '/' && raw[end] != '\\') ++end;
        const std::string_view part = raw.substr(i, end - i);
        if (part == "..") {
            if (!starts.empty()) {
                out.resize(starts.back() == 0 ? 0 : starts.back() - 1);
                starts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            if (!out.empty()) out += '/';
            starts.push_back(out.size());
            out += part;
        }
        i = end + 1;
    }
    return out;
}

ArchiveListing ListArchive(int fd, const ArchiveLimits& limits) {
    ArchiveListing listing;
    auto source = std::make_unique<Source>();
    source->fd = fd;
    source->limit = limits.maxBytesRead;
    source->size = ::lseek(fd, 0, SEEK_END);

    std::unique_ptr<struct archive, ArchiveCloser> a(archive_read_new());
    if (!a) {
        listing.note = "out of memory";
        return listing;
    }
    // The compressions libarchive unpacks itself; none that would start another program.
    for (auto support : {archive_read_support_filter_bzip2, archive_read_support_filter_compress,
                         archive_read_support_filter_gzip, archive_read_support_filter_lz4,
                         archive_read_support_filter_lzip, archive_read_support_filter_lzma,
                         archive_read_support_filter_xz, archive_read_support_filter_zstd}) {
        support(a.get());
    }
    for (auto support : {archive_read_support_format_7zip, archive_read_support_format_cab,
                         archive_read_support_format_cpio, archive_read_support_format_iso9660,
                         archive_read_support_format_lha, archive_read_support_format_rar,
                         archive_read_support_format_rar5, archive_read_support_format_tar,
                         archive_read_support_format_xar, archive_read_support_format_zip}) {
        support(a.get());
    }
    archive_read_set_seek_callback(a.get(), Seek);
    if (archive_read_open2(a.get(), source.get(), nullptr, Read, Skip, nullptr) != ARCHIVE_OK) {
        listing.note = source->overLimit ? "not read: its first " + Megabytes(limits.maxBytesRead) + " were no archive"
                                         : "not an archive that can be read: " + ErrorText(a.get());
        return listing;
    }
    listing.recognised = true;
    archive_entry* entry = nullptr;
    int64_t pendingUnpack = 0;  // the data of the last member, which the next header lies behind
    for (;;) {
        // A stream without a directory is unpacked to reach each header: a member larger than
        // what is left of the limit ends the listing before it is unpacked for nothing.
        const bool streamed = archive_filter_count(a.get()) > 1;
        if (streamed && archive_filter_bytes(a.get(), 0) + pendingUnpack > limits.maxUnpackedBytes) {
            listing.capped = true;
            listing.note = "listing stopped: the rest lies behind more than " + Megabytes(limits.maxUnpackedBytes) +
                           " of compressed data";
            break;
        }
        const int rc = archive_read_next_header(a.get(), &entry);
        if (rc == ARCHIVE_EOF) break;
        if (rc == ARCHIVE_FATAL || (rc != ARCHIVE_OK && rc != ARCHIVE_WARN)) {
            if (source->overLimit) {
                listing.capped = true;
                listing.note = "listing stopped after reading " + Megabytes(limits.maxBytesRead);
            } else if (listing.members.empty()) {
                listing.recognised = archive_format(a.get()) != 0 && rc != ARCHIVE_FATAL;
                listing.note = "damaged or unreadable: " + ErrorText(a.get());
            } else {
                listing.capped = true;
                listing.note = "damaged after " + std::to_string(listing.members.size()) + " members: " + ErrorText(a.get());
            }
            break;
        }
        if (listing.members.size() >= limits.maxMembers) {
            listing.capped = true;
            listing.note = "listing stopped after " + std::to_string(limits.maxMembers) + " members";
            break;
        }
        const char* utf8 = archive_entry_pathname_utf8(entry);
        const char* raw = utf8 ? utf8 : archive_entry_pathname(entry);
        ArchiveMember member;
        member.path = CleanMemberPath(raw ? std::string_view(raw) : std::string_view());
        member.isDir = archive_entry_filetype(entry) == AE_IFDIR;
        member.size = archive_entry_size_is_set(entry) ? static_cast<double>(archive_entry_size(entry)) : 0;
        if (member.size < 0) member.size = 0;
        member.date = archive_entry_mtime_is_set(entry) ? DateFromTimeT(archive_entry_mtime(entry)) : 0;
        pendingUnpack = member.isDir ? 0 : static_cast<int64_t>(member.size);
        if (member.path.empty()) continue;  // "/" or "." alone: the archive's own root
        if (archive_entry_is_encrypted(entry) && listing.note.empty()) {
            listing.note = "encrypted: members are listed by name only";
        }
        listing.members.push_back(std::move(member));
    }
    return listing;
}

}  // namespace karvio
