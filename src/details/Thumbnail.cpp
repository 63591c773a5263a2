#include "Thumbnail.h"

#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QLoggingCategory>
#include <QTransform>
#include <cstdlib>
#include <mutex>

#include "MediaReader.h"

namespace karvio {

namespace {

// Largest decoded picture a thumbnail may need, in megabytes: a picture that cannot be decoded
// at a reduced size is decoded whole first.
constexpr int kAllocationLimitMb = 192;
constexpr int kJpegQuality = 80;
// A camera's preview stands for its photo when the photo's top rows, at the preview's size, differ
// from the preview's by at most this much on average (of 255, per colour). The same picture
// scaled by two programs and compressed twice stays within a few; a turned or replaced one is
// dozens away.
constexpr int kPreviewRows = 2;
constexpr int kMaxPreviewDifference = 12;

// Reads the picture open at `fd` from its start, through a reader that leaves the descriptor open.
bool OpenFromStart(int fd, QFile& file) {
    return ::lseek(fd, 0, SEEK_SET) == 0 &&
           file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
}

// `image` turned as a reader turns its picture.
QImage Turned(QImage image, QImageIOHandler::Transformations turn) {
    image = image.mirrored(turn & QImageIOHandler::TransformationMirror,
                           turn & QImageIOHandler::TransformationFlip);
    if (turn & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

double MeanDifference(const QImage& a, const QImage& b) {
    int64_t sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            sum += std::abs(qRed(p[x]) - qRed(q[x])) + std::abs(qGreen(p[x]) - qGreen(q[x])) +
                   std::abs(qBlue(p[x]) - qBlue(q[x]));
        }
    }
    return static_cast<double>(sum) / (3.0 * a.width() * a.height());
}

// The preview a camera wrote into a JPEG photo, turned as the photo is, when it can stand for the
// photo: decoding a preview of a few kilobytes takes a fraction of a millisecond, where even a
// reduced decoding of the photo must read all its megabytes. Editing tools can leave a preview
// behind that no longer shows the photo, so it is taken only when
// - the photo still stands as it was taken (its Exif date of change is its date taken);
// - the preview is at least `longSide` on its long side, and has the photo's proportions to
//   within a pixel (a crop, a quarter turn or a letterboxed preview differ);
// - the photo's top rows, decoded at the preview's size, look as the preview's do (a half turn
//   or a replaced picture differ). Decoding them reads only the start of the file.
// Null otherwise.
QImage CameraPreview(int fd, int longSide) {
    const std::string bytes = ReadCameraPreview(fd);
    if (bytes.empty()) return {};
    QImage preview = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                      static_cast<int>(bytes.size()));
    if (preview.isNull() || std::max(preview.width(), preview.height()) < longSide ||
        preview.height() < kPreviewRows) {
        return {};
    }
    preview = preview.convertToFormat(QImage::Format_RGB32);
    QFile file;
    if (!OpenFromStart(fd, file)) return {};
    QImageReader reader(&file);
    const QSize size = reader.size();
    if (reader.format() != "jpeg" || !size.isValid() || preview.width() > size.width() ||
        preview.height() > size.height()) {
        return {};
    }
    const int64_t skew =
        int64_t{preview.width()} * size.height() - int64_t{preview.height()} * size.width();
    if (std::abs(skew) > std::max(size.width(), size.height())) return {};
    const QImageIOHandler::Transformations turn = reader.transformation();
    reader.setScaledSize(preview.size());
    reader.setScaledClipRect(QRect(0, 0, preview.width(), kPreviewRows));
    const QImage top = reader.read().convertToFormat(QImage::Format_RGB32);
    if (top.size() != QSize(preview.width(), kPreviewRows) ||
        MeanDifference(top, preview.copy(0, 0, preview.width(), kPreviewRows)) >
            kMaxPreviewDifference) {
        return {};
    }
    return Turned(std::move(preview), turn);
}

// A HEIF picture (a phone's HEIC photo) decoded through libheif, from its own thumbnail where it
// has one. Null, with `note` saying why, when it cannot be.
QImage DecodeHeif(int fd, int longSide, std::string& note) {
    const HeifPixels decoded =
        DecodeHeifForThumbnail(fd, longSide, int64_t{kAllocationLimitMb} * 1024 * 1024 / 4);
    if (decoded.width <= 0) {
        note = decoded.note;
        return {};
    }
    const int bytesPerPixel = decoded.alpha ? 4 : 3;
    return QImage(decoded.pixels.data(), decoded.width, decoded.height,
                  decoded.width * bytesPerPixel,
                  decoded.alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888)
        .copy();
}

// The picture decoded at about `longSide` on its long side, as small as its format allows, and
// turned as the camera recorded. Null, with `note` saying why, when it cannot be.
QImage DecodeReduced(int fd, int longSide, std::string& note) {
    QFile file;
    if (!OpenFromStart(fd, file)) {
        note = "it could not be read";
        return {};
    }
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) {
        note = "its picture cannot be decoded" + (reader.errorString().isEmpty()
                                                      ? std::string()
                                                      : ": " + reader.errorString().toStdString());
        return {};
    }
    // The size as stored; a turned picture is turned after it is decoded at this size.
    reader.setScaledSize(
        size.scaled(longSide, longSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (image.isNull())
        note = "its picture cannot be decoded: " + reader.errorString().toStdString();
    return image;
}

}  // namespace

ThumbnailResult MakeThumbnail(int fd, int longSide) {
    // A damaged picture is a note of its own; the image readers' complaints stay off the
    // terminal of a scan.
    static std::once_flag quiet;
    std::call_once(quiet, [] {
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
        QImageReader::setAllocationLimit(kAllocationLimitMb);
    });
    ThumbnailResult result;
    QImage image;
    if (IsHeifPicture(fd)) {
        image = DecodeHeif(fd, longSide, result.note);
    } else {
        image = CameraPreview(fd, longSide);
        if (image.isNull()) image = DecodeReduced(fd, longSide, result.note);
    }
    if (image.isNull()) return result;
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
