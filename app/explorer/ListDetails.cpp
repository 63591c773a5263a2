#include "explorer/ListDetails.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "CatalogueDetails.h"

namespace karvio {

namespace {

// A few screenfuls of rows and of pictures.
constexpr int kDetailsCached = 4096;
constexpr int kThumbnailBytesCached = 48 << 20;

bool Among(const std::vector<int32_t>& ids, int32_t id) { return std::binary_search(ids.begin(), ids.end(), id); }

}  // namespace

ListDetails::ListDetails() : details_(kDetailsCached), thumbnails_(kThumbnailBytesCached) {}

ListDetails::~ListDetails() = default;

void ListDetails::Open(classData& data, int32_t cdId, int32_t first, int32_t last) {
    Close();
    if (cdId <= 0 || first > last) return;
    db_ = DetailsDatabase::OpenForReading(data);
    if (!db_ || !RecordedCdDetails(*db_, data, cdId)) {
        db_.reset();
        return;
    }
    cdId_ = cdId;
    detailed_ = db_->FileIdsOfCdBetween(cdId, first, last, false);
    pictured_ = db_->FileIdsOfCdBetween(cdId, first, last, true);
    if (detailed_.empty()) Close();
}

void ListDetails::Close() {
    db_.reset();
    cdId_ = 0;
    detailed_.clear();
    pictured_.clear();
    details_.clear();
    thumbnails_.clear();
    thumbnailsRead_ = 0;
}

bool ListDetails::HasThumbnail(int32_t fileId) const { return Among(pictured_, fileId); }

const FileDetails* ListDetails::Details(int32_t fileId, std::string_view name, double size, double date) {
    if (!db_ || !Among(detailed_, fileId)) return nullptr;
    std::optional<FileDetails>* cached = details_.object(fileId);
    if (!cached) {
        cached = new std::optional<FileDetails>(db_->File(fileId));
        if (*cached && ((*cached)->cdId != cdId_ || !(*cached)->Fits(name, size, date))) cached->reset();
        details_.insert(fileId, cached);
    }
    return *cached ? &**cached : nullptr;
}

QIcon ListDetails::Thumbnail(int32_t fileId, std::string_view name, double size, double date, int side) {
    if (!HasThumbnail(fileId) || side <= 0) return {};
    if (side != thumbnailSide_) {
        thumbnails_.clear();
        thumbnailSide_ = side;
    }
    if (const QIcon* cached = thumbnails_.object(fileId)) return *cached;
    QIcon icon;
    qsizetype bytes = 64;  // what a file without a picture costs the cache
    const FileDetails* details = Details(fileId, name, size, date);
    if (details && details->hasThumbnail) {
        const std::string stored = db_->Thumbnail(fileId);
        ++thumbnailsRead_;
        QImage image = QImage::fromData(reinterpret_cast<const uchar*>(stored.data()), static_cast<int>(stored.size()));
        if (!image.isNull()) {
            // Fitted to the square at the screen's scale: a 128-pixel thumbnail fills a large
            // icon at double scale as it does at normal scale.
            const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
            const int device = static_cast<int>(side * ratio);
            image = image.scaled(device, device, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            // Centred in the whole square, so that every name below a picture starts at one height.
            QImage square(device, device, QImage::Format_ARGB32_Premultiplied);
            square.fill(Qt::transparent);
            {
                QPainter painter(&square);
                painter.drawImage((device - image.width()) / 2, (device - image.height()) / 2, image);
            }
            square.setDevicePixelRatio(ratio);
            bytes = square.sizeInBytes();
            icon = QIcon(QPixmap::fromImage(square));
        }
    }
    thumbnails_.insert(fileId, new QIcon(icon), bytes);
    return icon;
}

}  // namespace karvio
