#include "Thumbnail.h"

#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QLoggingCategory>
#include <mutex>

namespace karvio {

namespace {

// Largest decoded picture a thumbnail may need, in megabytes: a picture that cannot be decoded
// at a reduced size is decoded whole first.
constexpr int kAllocationLimitMb = 192;
constexpr int kJpegQuality = 80;

}  // namespace

ThumbnailResult MakeThumbnail(int fd, int longSide) {
    // A damaged picture is a note of its own; the image readers' complaints stay off the
    // terminal of a scan.
    static std::once_flag quiet;
    std::call_once(quiet, [] { QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false")); });
    ThumbnailResult result;
    if (::lseek(fd, 0, SEEK_SET) != 0) {
        result.note = "it could not be read";
        return result;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        result.note = "it could not be read";
        return result;
    }
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    QImageReader::setAllocationLimit(kAllocationLimitMb);
    QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) {
        result.note = "its picture cannot be decoded" +
                      (reader.errorString().isEmpty() ? std::string() : ": " + reader.errorString().toStdString());
        return result;
    }
    // The size as stored; a turned picture is turned after it is decoded at this size.
    reader.setScaledSize(size.scaled(longSide, longSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (image.isNull()) {
        result.note = "its picture cannot be decoded: " + reader.errorString().toStdString();
        return result;
    }
    if (std::max(image.width(), image.height()) > longSide) {
        image = image.scaled(longSide, longSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    const bool transparent = image.hasAlphaChannel();
    QImageWriter writer(&out, transparent ? "png" : "jpeg");
    if (!transparent) writer.setQuality(kJpegQuality);
    if (!writer.write(transparent ? image : image.convertToFormat(QImage::Format_RGB32))) {
        result.note = "its thumbnail could not be written: " + writer.errorString().toStdString();
        return result;
    }
    result.bytes.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
    return result;
}

}  // namespace karvio
