// The item pictures: one distinct picture per kind, drawn sharp at the sizes and scales the views
// ask for, folders that show open, and a file row's picture from its type.
#include <gtest/gtest.h>

#include <QImage>
#include <QSet>

#include "CategoryPictures.h"
#include "controls/ItemIcons.h"
#include "explorer/ContentsListModel.h"

namespace karvio {
namespace {

QImage Picture(int kind, int side, qreal scale = 1.0, QIcon::State state = QIcon::Off,
               QIcon::Mode mode = QIcon::Normal) {
    return ItemIcon(kind).pixmap(QSize(side, side), scale, mode, state).toImage().convertToFormat(
        QImage::Format_ARGB32);
}

int OpaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128) ++count;
    return count;
}

TEST(ItemIcons, EveryKindHasItsOwnPictureAtEverySize) {
    EXPECT_EQ(LastCategoryPicture(), kLastCategoryImage);
    QSet<QByteArray> seen;
    for (int kind = kIconRoot; kind <= LastCategoryPicture(); ++kind) {
        SCOPED_TRACE(kind);
        for (int side : {16, 32}) {
            const QImage image = Picture(kind, side);
            ASSERT_EQ(image.size(), QSize(side, side));
            // Something is drawn, and not a filled square.
            const int opaque = OpaquePixels(image);
            EXPECT_GT(opaque, side * side / 8);
            EXPECT_LT(opaque, side * side);
        }
        const QImage small = Picture(kind, 16);
        seen.insert(QByteArray(reinterpret_cast<const char*>(small.constBits()), small.sizeInBytes()));
    }
    EXPECT_EQ(seen.size(), LastCategoryPicture()) << "two kinds share a picture";
}

TEST(ItemIcons, DoubleScaleIsDrawnAtDevicePixelsNotEnlarged) {
    for (int kind : {kIconCd, kIconFile, kFirstCategoryPicture + 4}) {
        SCOPED_TRACE(kind);
        const QPixmap sharp = ItemIcon(kind).pixmap(QSize(16, 16), 2.0);
        EXPECT_EQ(sharp.size(), QSize(32, 32));
        EXPECT_DOUBLE_EQ(sharp.devicePixelRatio(), 2.0);
        // The 2x picture is the 32-pixel drawing, not the 16-pixel one blown up: an enlarged
        // picture would repeat every pixel in 2x2 blocks.
        const QImage big = sharp.toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(big, Picture(kind, 32));
        int blocksBroken = 0;
        for (int y = 0; y < 32; y += 2)
            for (int x = 0; x < 32; x += 2)
                if (big.pixel(x, y) != big.pixel(x + 1, y + 1)) ++blocksBroken;
        EXPECT_GT(blocksBroken, 10);
    }
}

TEST(ItemIcons, FoldersOpenDisabledFadesAndUnknownIndexesFallBack) {
    EXPECT_NE(Picture(kIconDirectory, 16, 1.0, QIcon::On), Picture(kIconDirectory, 16));
    EXPECT_NE(Picture(kIconCategory, 16, 1.0, QIcon::On), Picture(kIconCategory, 16));
    EXPECT_EQ(Picture(kIconCd, 16, 1.0, QIcon::On), Picture(kIconCd, 16));
    EXPECT_LT(qAlpha(Picture(kIconCd, 16, 1.0, QIcon::Off, QIcon::Disabled).pixel(8, 2)),
              qAlpha(Picture(kIconCd, 16).pixel(8, 2)));
    // A stored picture number past the shipped set, or garbage, shows the default category.
    for (int bad : {0, -3, LastCategoryPicture() + 1, 32767})
        EXPECT_EQ(Picture(bad, 16), Picture(kIconCategory, 16)) << bad;
}

TEST(ItemIcons, FileRowsShowTheirTypeOrTheFilePicture) {
    ContentsListModel model;
    model.Stage(kIconFile, 1, -1, "no-suffix", 1, 0, 0, {});
    model.Stage(kIconFile, 2, -1, "strange.zzqqxx", 1, 0, 0, {});
    model.Stage(kIconDirectory, 3, 5, "dir.txt", 1, 0, 0, {});
    model.Flush();
    auto shown = [&](int row) {
        return model.data(model.index(row, kListColName), Qt::DecorationRole)
            .value<QIcon>().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    };
    EXPECT_EQ(shown(0), Picture(kIconFile, 16));
    EXPECT_EQ(shown(1), Picture(kIconFile, 16));
    // A directory keeps its picture whatever its name looks like.
    EXPECT_EQ(shown(2), Picture(kIconDirectory, 16));
    EXPECT_EQ(model.data(model.index(0, kListColName), ContentsListModel::KindRole).toInt(), kIconFile);
}

}  // namespace
}  // namespace karvio
