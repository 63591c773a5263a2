#include "VolumeSidecar.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>


namespace karvio {

namespace {

// The first line of every sidecar; the number is the format's version.
constexpr std::string_view kMagic = "KarvioVolumes 1";
constexpr size_t kFields = 9;  // id, last scanned, files, uuid, label, type, size, path, source
constexpr size_t kMaxSidecarBytes = 16 << 20;

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// Texts go on one line between tabs: tab, line breaks and the backslash are escaped.
std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
            case '\\': out += '\\'; break;
            case 't': out += '\t'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            default: return false;
        }
    }
    return true;
}

std::string Number(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    if (text.empty()) return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

bool ParseEntry(std::string_view line, VolumeEntry& entry) {
    const std::vector<std::string_view> f = SplitTabs(line);
    if (f.size() != kFields) return false;
    VolumeIdentity& id = entry.identity;
    return ParseNumber(f[0], entry.cdId) && entry.cdId > 0 && ParseNumber(f[1], entry.lastScanned) &&
           ParseNumber(f[2], entry.files) && Unescape(f[3], id.uuid) && Unescape(f[4], id.label) &&
           Unescape(f[5], id.fsType) && ParseNumber(f[6], id.size) && Unescape(f[7], id.relativePath) &&
           Unescape(f[8], id.source);
}

std::string Resolved(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string resolved(real);
    ::free(real);
    return resolved;
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::string VolumeSidecarPath(const std::string& dataFile) { return Resolved(dataFile) + ".volumes"; }

std::string EncodeVolumeSidecar(const VolumeEntries& entries) {
    std::string text(kMagic);
    text += '\n';
    for (const auto& [id, e] : entries) {
        const VolumeIdentity& v = e.identity;
        text += std::to_string(id) + '\t' + Number(e.lastScanned) + '\t' + std::to_string(e.files) + '\t' +
                Escape(v.uuid) + '\t' + Escape(v.label) + '\t' + Escape(v.fsType) + '\t' + Number(v.size) +
                '\t' + Escape(v.relativePath) + '\t' + Escape(v.source) + '\n';
    }
    return text;
}

SidecarContents DecodeVolumeSidecar(const std::string& text) {
    SidecarContents contents;
    contents.state = SidecarState::Ok;
    const size_t firstEnd = text.find('\n');
    if (std::string_view(text).substr(0, firstEnd) != kMagic) {
        contents.state = SidecarState::Damaged;
        contents.note = "it is not a list of disc identities of this version";
        return contents;
    }
    if (firstEnd == std::string::npos) return contents;
    size_t bad = 0, start = firstEnd + 1;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool complete = end != std::string::npos;
        if (!complete) end = text.size();
        const std::string_view line = std::string_view(text).substr(start, end - start);
        VolumeEntry entry;
        if (!complete || !ParseEntry(line, entry) || contents.entries.count(entry.cdId)) {
            ++bad;
        } else {
            contents.entries.emplace(entry.cdId, std::move(entry));
        }
        start = end + 1;
    }
    if (bad > 0) {
        contents.state = SidecarState::Damaged;
        contents.note = std::to_string(bad) + (bad == 1 ? " line" : " lines") + " could not be read";
    }
    return contents;
}

SidecarContents ReadVolumeSidecarFile(const std::string& path) {
    SidecarContents contents;
    // Never waits: a pipe or a device at the sidecar's name would block an ordinary open for
    // ever. Only a regular file is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno != ENOENT) {
            contents.state = SidecarState::Damaged;
            contents.note = SystemError("cannot read " + path);
        }
        return contents;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        contents.state = SidecarState::Damaged;
        contents.note = path + " is not a regular file";
        return contents;
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            contents.state = SidecarState::Damaged;
            contents.note = SystemError("cannot read " + path);
            ::close(fd);
            return contents;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<size_t>(n));
        if (text.size() > kMaxSidecarBytes) {
            ::close(fd);
            contents.state = SidecarState::Damaged;
            contents.note = path + " is too large to be a list of disc identities";
            return contents;
        }
    }
    ::close(fd);
    contents = DecodeVolumeSidecar(text);
    if (contents.state == SidecarState::Damaged) contents.note = path + ": " + contents.note;
    return contents;
}

bool WriteVolumeSidecarFile(const std::string& path, const VolumeEntries& entries, std::string* error) {
    SetError(error, {});
    if (entries.empty()) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            SetError(error, SystemError("cannot remove " + path));
            return false;
        }
        return true;
    }
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        SetError(error, SystemError("cannot write beside " + path));
        return false;
    }
    const bool written = WriteAll(fd, EncodeVolumeSidecar(entries)) && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    const int savedErrno = errno;
    if (::close(fd) != 0 || !written) {
        if (written) errno = savedErrno;
        SetError(error, SystemError("cannot write " + temp));
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        SetError(error, SystemError("cannot rename " + temp + " to " + path));
        ::unlink(temp.c_str());
        return false;
    }
    const int dir = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace karvio
