#include "views/DetailsText.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <map>

#include "CatalogueDetails.h"
#include "DateText.h"
#include "classData.h"

namespace karvio {

namespace {

QString Text(const std::string& bytes) { return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())); }

}  // namespace

QString DurationText(double seconds) {
    if (!(seconds > 0) || !std::isfinite(seconds)) return {};
    const auto total = static_cast<long long>(std::llround(seconds));
    const long long h = total / 3600, m = total / 60 % 60, s = total % 60;
    return h > 0 ? QString::asprintf("%lld:%02lld:%02lld", h, m, s) : QString::asprintf("%lld:%02lld", m, s);
}

QString DimensionsText(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return {};
    return QStringLiteral("%1 \u00d7 %2").arg(width).arg(height);
}

QString DetailsLines(const FileDetails& d) {
    QStringList lines;
    auto add = [&](const QString& label, const QString& value) {
        if (!value.isEmpty()) lines << label + QStringLiteral(": ") + value;
    };
    const MediaFields& m = d.media;
    add(QCoreApplication::translate("DetailsText", "Camera"), Text(m.camera));
    if (m.taken > 0)
        add(QCoreApplication::translate("DetailsText", "Taken"),
            QString::fromStdString(DateToText(m.taken)));
    add(QCoreApplication::translate("DetailsText", "Artist"), Text(m.artist));
    add(QCoreApplication::translate("DetailsText", "Album"), Text(m.album));
    add(QCoreApplication::translate("DetailsText", "Title"), Text(m.title));
    add(QCoreApplication::translate("DetailsText", "Length"), DurationText(m.duration));
    add(QCoreApplication::translate("DetailsText", "Dimensions"),
        DimensionsText(m.width, m.height));
    add(QCoreApplication::translate("DetailsText", "Codecs"), Text(m.codecs));
    if (d.isArchive) {
        add(QCoreApplication::translate("DetailsText", "Archive"),
            d.membersCapped
                ? QCoreApplication::translate("DetailsText", "%1 members listed (not all)")
                      .arg(d.memberCount)
                : QCoreApplication::translate("DetailsText", "%1 members").arg(d.memberCount));
    }
    if (d.hash) add(QCoreApplication::translate("DetailsText", "Content hash"), QString::fromStdString(d.hash->Hex()));
    add(QCoreApplication::translate("DetailsText", "Not read"), Text(d.note));
    return lines.join(QLatin1Char('\n'));
}

std::vector<int32_t> ArchivesAmong(classData& data, int32_t cdId, const std::vector<FileInfo>& files) {
    std::vector<int32_t> found;
    if (files.empty()) return found;
    std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data);
    if (!db || !RecordedCdDetails(*db, data, cdId)) return found;
    const std::vector<int32_t> archives = db->ArchiveIdsOfCd(cdId);
    for (const FileInfo& file : files) {
        if (!std::binary_search(archives.begin(), archives.end(), file.FileId)) continue;
        const std::optional<FileDetails> d = db->File(file.FileId);
        if (d && d->Fits(file.FileName, file.FileSize, file.FileDate)) found.push_back(file.FileId);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<ArchiveMember> ArchiveMembersOf(const FileInfo& file) {
    classData data;
    std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data);
    if (!db || !RecordedFileDetails(*db, data, file)) return {};
    return db->Members(file.FileId);
}

std::vector<ArchiveRow> ArchiveFolderRows(const std::vector<ArchiveMember>& members, const std::string& folder) {
    std::vector<ArchiveRow> rows;
    std::map<std::string, size_t> folders;  // subfolder name -> its row
    const std::string prefix = folder.empty() ? std::string() : folder + "/";
    for (const ArchiveMember& m : members) {
        if (m.path.size() <= prefix.size() || m.path.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = m.path.substr(prefix.size());
        const size_t slash = rest.find('/');
        const std::string name = rest.substr(0, slash);
        const bool isFolder = slash != std::string::npos || m.isDir;
        if (!isFolder) {
            rows.push_back({name, false, m.size, m.date});
            continue;
        }
        const auto it = folders.find(name);
        if (it == folders.end()) {
            folders.emplace(name, rows.size());
            rows.push_back({name, true, 0, slash == std::string::npos ? m.date : 0});
        } else if (slash == std::string::npos) {
            rows[it->second].date = m.date;  // the folder's own member gives its date
        }
    }
    return rows;
}

ShownDetails ReadShownDetails(const FileInfo& file) {
    ShownDetails shown;
    if (file.FileId <= 0) return shown;
    classData data;
    std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data);
    if (!db) return shown;
    shown.details = RecordedFileDetails(*db, data, file);
    if (shown.details && shown.details->hasThumbnail) {
        const std::string bytes = db->Thumbnail(file.FileId);
        shown.thumbnail = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
    }
    return shown;
}

}  // namespace karvio
