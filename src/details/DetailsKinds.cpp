#include "DetailsKinds.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "DetailsDatabase.h"

namespace karvio {

namespace {

struct Extension {
    std::string_view text;
    DetailsKind kind;
};

// Sorted by text, for a binary search.
constexpr std::array kExtensions = {
    Extension{"3fr", DetailsKind::Picture},  Extension{"3gp", DetailsKind::Video},
    Extension{"7z", DetailsKind::Archive},   Extension{"aac", DetailsKind::Audio},
    Extension{"aif", DetailsKind::Audio},    Extension{"aiff", DetailsKind::Audio},
    Extension{"ape", DetailsKind::Audio},    Extension{"arw", DetailsKind::Picture},
    Extension{"avi", DetailsKind::Video},    Extension{"bmp", DetailsKind::Picture},
    Extension{"cab", DetailsKind::Archive},  Extension{"cpio", DetailsKind::Archive},
    Extension{"cr2", DetailsKind::Picture},  Extension{"cr3", DetailsKind::Picture},
    Extension{"crw", DetailsKind::Picture},  Extension{"dng", DetailsKind::Picture},
    Extension{"erf", DetailsKind::Picture},  Extension{"flac", DetailsKind::Audio},
    Extension{"flv", DetailsKind::Video},    Extension{"gif", DetailsKind::Picture},
    Extension{"heic", DetailsKind::Picture}, Extension{"heif", DetailsKind::Picture},
    Extension{"iso", DetailsKind::Archive},  Extension{"jar", DetailsKind::Archive},
    Extension{"jpe", DetailsKind::Picture},  Extension{"jpeg", DetailsKind::Picture},
    Extension{"jpg", DetailsKind::Picture},  Extension{"lha", DetailsKind::Archive},
    Extension{"lzh", DetailsKind::Archive},  Extension{"m2ts", DetailsKind::Video},
    Extension{"m4a", DetailsKind::Audio},    Extension{"m4b", DetailsKind::Audio},
    Extension{"m4v", DetailsKind::Video},    Extension{"mkv", DetailsKind::Video},
    Extension{"mov", DetailsKind::Video},    Extension{"mp3", DetailsKind::Audio},
    Extension{"mp4", DetailsKind::Video},    Extension{"mpc", DetailsKind::Audio},
    Extension{"mpeg", DetailsKind::Video},   Extension{"mpg", DetailsKind::Video},
    Extension{"mrw", DetailsKind::Picture},  Extension{"mts", DetailsKind::Video},
    Extension{"nef", DetailsKind::Picture},  Extension{"nrw", DetailsKind::Picture},
    Extension{"oga", DetailsKind::Audio},    Extension{"ogg", DetailsKind::Audio},
    Extension{"ogv", DetailsKind::Video},    Extension{"opus", DetailsKind::Audio},
    Extension{"orf", DetailsKind::Picture},  Extension{"pef", DetailsKind::Picture},
    Extension{"png", DetailsKind::Picture},  Extension{"raf", DetailsKind::Picture},
    Extension{"rar", DetailsKind::Archive},  Extension{"rw2", DetailsKind::Picture},
    Extension{"spx", DetailsKind::Audio},    Extension{"sr2", DetailsKind::Picture},
    Extension{"srw", DetailsKind::Picture},  Extension{"tar", DetailsKind::Archive},
    Extension{"tbz", DetailsKind::Archive},  Extension{"tbz2", DetailsKind::Archive},
    Extension{"tgz", DetailsKind::Archive},  Extension{"tif", DetailsKind::Picture},
    Extension{"tiff", DetailsKind::Picture}, Extension{"ts", DetailsKind::Video},
    Extension{"txz", DetailsKind::Archive},  Extension{"tzst", DetailsKind::Archive},
    Extension{"wav", DetailsKind::Audio},    Extension{"webm", DetailsKind::Video},
    Extension{"webp", DetailsKind::Picture}, Extension{"wma", DetailsKind::Audio},
    Extension{"wmv", DetailsKind::Video},    Extension{"wv", DetailsKind::Audio},
    Extension{"xar", DetailsKind::Archive},  Extension{"zip", DetailsKind::Archive},
};

constexpr bool Sorted() {
    for (size_t i = 1; i < kExtensions.size(); ++i) {
        if (!(kExtensions[i - 1].text < kExtensions[i].text)) return false;
    }
    return true;
}
static_assert(Sorted());

// Compressed tarballs named by two extensions: "x.tar.gz", "x.tar.bz2", "x.tar.xz", "x.tar.zst".
constexpr std::array<std::string_view, 6> kTarCompressions = {"bz2", "gz", "lz", "lzma", "xz", "zst"};

}  // namespace

DetailsKind KindOfName(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || name.size() - dot - 1 > 4) return DetailsKind::None;
    char lower[5] = {};
    const std::string_view ext = name.substr(dot + 1);
    for (size_t i = 0; i < ext.size(); ++i) lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(ext[i])));
    const std::string_view key(lower, ext.size());
    const auto it = std::lower_bound(kExtensions.begin(), kExtensions.end(), key,
                                     [](const Extension& e, std::string_view k) { return e.text < k; });
    if (it != kExtensions.end() && it->text == key) return it->kind;
    if (std::find(kTarCompressions.begin(), kTarCompressions.end(), key) != kTarCompressions.end()) {
        const std::string_view stem = name.substr(0, dot);
        if (stem.size() > 4) {
            std::string inner(stem.substr(stem.size() - 4));
            for (char& c : inner) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (inner == ".tar") return DetailsKind::Archive;
        }
    }
    return DetailsKind::None;
}

bool KindWanted(DetailsKind kind, uint32_t options) {
    switch (kind) {
        case DetailsKind::Archive:
            return (options & kScanArchives) != 0;
        case DetailsKind::Picture:
            return (options & (kScanMedia | kScanThumbnails)) != 0;
        case DetailsKind::Audio:
        case DetailsKind::Video:
            return (options & kScanMedia) != 0;
        case DetailsKind::None:
            break;
    }
    return false;
}

}  // namespace karvio
