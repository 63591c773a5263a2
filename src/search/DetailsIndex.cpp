#include "DetailsIndex.h"

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "CatalogueDate.h"
#include "CatalogueDetails.h"
#include "DetailsDatabase.h"
#include "classData.h"

namespace karvio {

namespace {

// The folded form of stored bytes, as quick find compares names: ASCII lower-cased, anything else
// decoded (UTF-8, else Windows-1252) and folded.
std::string Folded(std::string_view bytes) {
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x80 && c != '\0';
    });
    std::string out;
    if (ascii) {
        out.resize(bytes.size());
        std::transform(bytes.begin(), bytes.end(), out.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        return out;
    }
    const QByteArray raw = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const QByteArray folded = QuickFold(QuickDecodeName(raw)).toUtf8();
    out.assign(folded.constData(), static_cast<size_t>(folded.size()));
    std::replace(out.begin(), out.end(), '\0', '\x01');
    return out;
}

bool Matches(std::string_view field, std::string_view needle, QuickMatchMode mode) {
    switch (mode) {
        case QuickMatchMode::WholeField: return field == needle;
        case QuickMatchMode::Beginning: return field.starts_with(needle);
        case QuickMatchMode::Anywhere: break;
    }
    return field.find(needle) != std::string_view::npos;
}

std::string_view LastPart(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

int32_t YearOf(double date) { return date > 0 ? FieldsFromDate(date).year : 0; }

}  // namespace

uint32_t DetailsIndex::AddText(std::string_view text) {
    if (text.empty()) return kNone;
    const auto at = static_cast<uint32_t>(arena_.size());
    arena_.append(Folded(text));
    arena_.push_back('\0');
    return at;
}

std::string_view DetailsIndex::Text(uint32_t at) const {
    if (at == kNone) return {};
    return std::string_view(arena_.data() + at);
}

bool DetailsIndex::Build(const std::string& dataFile, const QuickIndex& catalogue, std::string* note) {
    *this = DetailsIndex();
    if (note) note->clear();
    classData data(dataFile, classData::ForReading{});
    if (data.GetError() != kErrorNone || !data.IsOpen()) return false;
    std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data, note);
    if (!db) return true;

    // The files of the quick index by record id, to tie each row to its entry.
    std::vector<std::pair<int32_t, int32_t>> byId;
    for (int32_t i = 0; i < static_cast<int32_t>(catalogue.size()); ++i) {
        if (catalogue.Kind(i) == QuickKind::File) byId.emplace_back(catalogue.Entry(i).id, i);
    }
    std::sort(byId.begin(), byId.end());
    // A row counts for the entry with its id when the entry still has its name and size.
    auto entryOf = [&](const FileDetails& d) -> int32_t {
        const auto it = std::lower_bound(byId.begin(), byId.end(), std::pair{d.fileId, INT32_MIN});
        if (it == byId.end() || it->first != d.fileId) return -1;
        const int32_t entry = it->second;
        const uint64_t size = d.size >= double(kQuickMaxSize) ? kQuickMaxSize : static_cast<uint64_t>(d.size);
        if (catalogue.Entry(entry).Size() != size || DetailsNameHash(catalogue.RawName(entry)) != d.nameHash) return -1;
        return entry;
    };

    std::vector<int32_t> cds;
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) cds.push_back(cd->GetCdId());
    for (int32_t cdId : cds) {
        if (!RecordedCdDetails(*db, data, cdId)) continue;
        // Archives whose rows fit, by file id, for their members.
        std::vector<std::pair<int32_t, int32_t>> archives;
        db->ForEachFile(cdId, [&](const FileDetails& d) {
            const int32_t entry = entryOf(d);
            if (entry < 0) return true;
            if (d.isArchive && d.memberCount > 0) archives.emplace_back(d.fileId, entry);
            const MediaFields& m = d.media;
            if (m.kind == MediaKind::None) return true;
            Media media;
            media.entry = entry;
            media.kind = m.kind;
            media.artist = AddText(m.artist);
            media.album = AddText(m.album);
            media.title = AddText(m.title);
            media.camera = AddText(m.camera);
            media.takenYear = YearOf(m.taken);
            media.duration = std::isfinite(m.duration) ? static_cast<int64_t>(std::llround(m.duration)) : 0;
            media.width = m.width;
            media.height = m.height;
            media_.push_back(media);
            return true;
        });
        if (archives.empty()) continue;
        db->ForEachMember(cdId, [&](int32_t fileId, const ArchiveMember& m) {
            const auto it = std::lower_bound(archives.begin(), archives.end(), std::pair{fileId, INT32_MIN});
            if (it == archives.end() || it->first != fileId) return true;
            Member member;
            member.entry = it->second;
            member.fold = AddText(m.path);
            member.raw = static_cast<uint32_t>(raw_.size());
            const auto len = static_cast<uint32_t>(m.path.size());
            raw_.append(reinterpret_cast<const char*>(&len), sizeof len);
            raw_.append(m.path);
            member.size = m.size;
            member.date = m.date;
            member.isDir = m.isDir;
            members_.push_back(member);
            return true;
        });
    }
    // Media files in catalogue order.
    std::sort(media_.begin(), media_.end(), [](const Media& a, const Media& b) { return a.entry < b.entry; });
    arena_.shrink_to_fit();
    raw_.shrink_to_fit();
    return true;
}

std::string_view DetailsIndex::MemberPath(int32_t member) const {
    const Member& m = members_[size_t(member)];
    uint32_t len = 0;
    std::memcpy(&len, raw_.data() + m.raw, sizeof len);
    return std::string_view(raw_).substr(m.raw + sizeof len, len);
}

std::vector<DetailsHit> DetailsIndex::Find(const QuickIndex& catalogue, const FullQuery& query, QuickMatchMode mode,
                                           const std::atomic<bool>* cancel) const {
    std::vector<DetailsHit> hits;
    if (!query.Error().isEmpty()) return hits;
    const QuickQuery& names = query.names;
    const DetailsQuery& details = query.details;
    std::vector<std::string> needles;
    for (const QStringList* list : {&names.words, &names.phrases}) {
        for (const QString& w : *list) needles.push_back(w.toStdString());
    }
    std::vector<std::string> extensions;
    for (const QString& e : names.extensions) extensions.push_back(e.toStdString());
    auto cancelled = [&] { return cancel && cancel->load(std::memory_order_relaxed); };
    auto hasExtension = [&](std::string_view name) {
        if (extensions.empty()) return true;
        const size_t dot = name.rfind('.');
        return dot != std::string_view::npos &&
               std::find(extensions.begin(), extensions.end(), name.substr(dot + 1)) != extensions.end();
    };

    // Media files: every filter holds, and the words are in the file's name.
    if (details.HasMediaFilters() && details.inArchive == 0) {
        auto text = [&](const std::optional<QString>& wanted, uint32_t field) {
            return !wanted || Text(field).find(wanted->toStdString()) != std::string_view::npos;
        };
        auto within = [](const std::optional<QuickRange>& range, int64_t value) {
            return !range || (value != 0 && range->Contains(value));
        };
        for (size_t k = 0; k < media_.size(); ++k) {
            if ((k & 0x3FFF) == 0 && cancelled()) return hits;
            const Media& m = media_[k];
            if (!text(details.artist, m.artist) || !text(details.album, m.album) || !text(details.title, m.title) ||
                !text(details.camera, m.camera) || !within(details.takenYear, m.takenYear) ||
                !within(details.duration, m.duration) || !within(details.width, m.width) ||
                !within(details.height, m.height)) {
                continue;
            }
            const QuickEntry& e = catalogue.Entry(m.entry);
            if (names.size && !names.size->Contains(static_cast<int64_t>(e.Size()))) continue;
            if (names.kindMask && !(names.kindMask & 4)) continue;
            const std::string_view name = catalogue.FoldedName(m.entry);
            if (!hasExtension(name)) continue;
            if (std::all_of(needles.begin(), needles.end(), [&](const std::string& n) { return Matches(name, n, mode); })) {
                hits.push_back({m.entry, -1});
            }
        }
        return hits;
    }
    if (details.HasMediaFilters()) return hits;  // members have no media fields

    // Members: every word in the member's path (its name for the whole-name and beginning
    // modes), filtered like files.
    const bool inArchive = details.inArchive != 0;
    if (needles.empty() && !inArchive) return hits;
    if (names.kindMask && !(names.kindMask & 6)) return hits;
    for (size_t k = 0; k < members_.size(); ++k) {
        if ((k & 0x3FFF) == 0 && cancelled()) return hits;
        const Member& m = members_[k];
        if (details.inArchive > 0 && catalogue.Entry(m.entry).id != details.inArchive) continue;
        if (names.kindMask && !(names.kindMask & (m.isDir ? 2 : 4))) continue;
        if (names.size && (m.isDir || !names.size->Contains(static_cast<int64_t>(m.size)))) continue;
        if (names.year) {
            const int32_t year = YearOf(m.date);
            if (!names.year->Contains(year)) continue;
        }
        const std::string_view path = Text(m.fold);
        const std::string_view name = LastPart(path);
        if (!hasExtension(name)) continue;
        const std::string_view field = mode == QuickMatchMode::Anywhere ? path : name;
        if (std::all_of(needles.begin(), needles.end(), [&](const std::string& n) { return Matches(field, n, mode); })) {
            hits.push_back({m.entry, static_cast<int32_t>(k)});
        }
    }
    return hits;
}

SearchHit DetailsIndex::Hit(const QuickIndex& catalogue, const DetailsHit& hit) const {
    SearchHit out = catalogue.Hit(hit.entry);
    if (hit.member < 0) return out;
    const Member& m = members_[size_t(hit.member)];
    const std::string_view path = MemberPath(hit.member);
    const size_t slash = path.rfind('/');
    std::string folder = out.path;
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    folder += out.name;
    if (slash != std::string_view::npos) {
        std::string inside(path.substr(0, slash));
        std::replace(inside.begin(), inside.end(), '/', '\\');
        folder += '\\';
        folder += inside;
    }
    out.path = std::move(folder);
    out.name = std::string(LastPart(path));
    out.memberPath = std::string(path);
    out.size = m.isDir ? 0 : m.size;
    out.date = m.date;
    out.notes.clear();
    out.attributes = m.isDir ? 16 : 0;
    return out;
}

size_t DetailsIndex::MemoryBytes() const {
    return arena_.capacity() + raw_.capacity() + members_.capacity() * sizeof(Member) + media_.capacity() * sizeof(Media);
}

}  // namespace karvio
