#include "controls/ItemIcons.h"

#include <QConicalGradient>
#include <QDir>
#include <QIconEngine>
#include <QMimeDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPixmapCache>
#include <QtMath>

#include "CategoryPictures.h"

namespace karvio {

namespace {

// The pictures are drawn, not loaded: each is a few shapes on a 16-unit grid, painted at the
// device pixel size asked for, so they stay sharp at 16 and 32 pixels and at any screen scale.
// One-unit strokes sit on half units, so at 16 and 32 pixels they fall on whole pixels.

constexpr double kGrid = 16.0;

QPen Outline(const QColor& colour, double width = 1.0) {
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

QBrush Shaded(const QColor& light, const QColor& dark, double y0 = 1, double y1 = 15) {
    QLinearGradient gradient(0, y0, 0, y1);
    gradient.setColorAt(0, light);
    gradient.setColorAt(1, dark);
    return gradient;
}

void Polygon(QPainter& p, std::initializer_list<QPointF> points) {
    p.drawPolygon(points.begin(), static_cast<int>(points.size()));
}

// A folder: the back with its tab and, open, a front leaning forward; closed, a flat front.
void DrawFolder(QPainter& p, const QColor& light, const QColor& dark, const QColor& line, bool open) {
    p.setPen(Outline(line));
    p.setBrush(Shaded(dark.lighter(115), dark));
    Polygon(p, {{1.5, 2.5}, {6.0, 2.5}, {7.5, 4.5}, {14.5, 4.5}, {14.5, 13.5}, {1.5, 13.5}});
    if (open) {
        p.setBrush(Shaded(light, light.darker(115), 7, 14));
        Polygon(p, {{3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}});
    } else {
        p.setBrush(Shaded(light, light.darker(112), 6, 14));
        p.drawRect(QRectF(1.5, 6.5, 13, 7));
    }
}

void DrawDirectory(QPainter& p, bool open) {
    DrawFolder(p, QColor(0xf7, 0xd3, 0x5c), QColor(0xdc, 0xa8, 0x2a), QColor(0x8a, 0x64, 0x10), open);
}

// The default category: a blue folder with a white label on its front.
void DrawCategory(QPainter& p, bool open) {
    DrawFolder(p, QColor(0x7d, 0xaa, 0xe8), QColor(0x45, 0x78, 0xc4), QColor(0x1f, 0x3f, 0x78), open);
    p.setPen(Outline(QColor(0x1f, 0x3f, 0x78)));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 9.5, 5, 2));
}

// A disc with a rainbow sheen, its hub and a hole that lets the background through.
void DrawDisc(QPainter& p, const QPointF& centre, double radius) {
    QConicalGradient sheen(centre, 30);
    sheen.setColorAt(0.00, QColor(0xe8, 0xec, 0xf2));
    sheen.setColorAt(0.15, QColor(0xd6, 0xc8, 0xf5));
    sheen.setColorAt(0.30, QColor(0xf4, 0xf6, 0xfa));
    sheen.setColorAt(0.50, QColor(0xc8, 0xee, 0xde));
    sheen.setColorAt(0.65, QColor(0xf7, 0xf0, 0xc8));
    sheen.setColorAt(0.80, QColor(0xf4, 0xf6, 0xfa));
    sheen.setColorAt(1.00, QColor(0xe8, 0xec, 0xf2));
    QPainterPath disc;
    disc.setFillRule(Qt::OddEvenFill);
    disc.addEllipse(centre, radius, radius);
    disc.addEllipse(centre, radius * 0.18, radius * 0.18);
    p.setPen(Outline(QColor(0x5d, 0x6f, 0x88)));
    p.setBrush(sheen);
    p.drawPath(disc);
    QPainterPath hub;
    hub.setFillRule(Qt::OddEvenFill);
    hub.addEllipse(centre, radius * 0.38, radius * 0.38);
    hub.addEllipse(centre, radius * 0.18, radius * 0.18);
    p.setBrush(QColor(0xc4, 0xcd, 0xd9));
    p.drawPath(hub);
}

void DrawCd(QPainter& p) { DrawDisc(p, {8, 8}, 6.5); }

// A scanned folder or drive: a drive case with its slot and a lit lamp.
void DrawDrive(QPainter& p) {
    p.setPen(Outline(QColor(0x3c, 0x44, 0x50)));
    p.setBrush(Shaded(QColor(0xe4, 0xe8, 0xee), QColor(0x9a, 0xa3, 0xb0), 4, 13));
    p.drawRoundedRect(QRectF(0.5, 4.5, 15, 8), 1.5, 1.5);
    p.setPen(Outline(QColor(0x55, 0x5e, 0x6b)));
    p.drawLine(QPointF(2.5, 7.5), QPointF(10.5, 7.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2e, 0xc2, 0x4a));
    p.drawRect(QRectF(12, 9, 2, 2));
    p.setBrush(QColor(0x6a, 0x73, 0x80));
    p.drawRect(QRectF(2, 10, 6, 1));
}

// The catalogue itself: a disc behind an index card.
void DrawRoot(QPainter& p) {
    DrawDisc(p, {6.5, 6.5}, 5.5);
    p.setPen(Outline(QColor(0x7a, 0x6a, 0x3a)));
    p.setBrush(QColor(0xff, 0xfd, 0xf5));
    p.drawRect(QRectF(7.5, 8.5, 8, 7));
    p.setBrush(QColor(0xf2, 0xc1, 0x4e));
    p.drawRect(QRectF(7.5, 8.5, 8, 2));
    p.setPen(Outline(QColor(0x5b, 0x6b, 0x80)));
    p.drawLine(QPointF(9, 12.5), QPointF(14, 12.5));
    p.drawLine(QPointF(9, 14.5), QPointF(12, 14.5));
}

// A page with a folded corner and lines of text.
void DrawPage(QPainter& p, const QRectF& page, bool lines) {
    const double fold = 3;
    p.setPen(Outline(QColor(0x60, 0x6a, 0x78)));
    p.setBrush(Shaded(Qt::white, QColor(0xe6, 0xea, 0xf0), page.top(), page.bottom()));
    Polygon(p, {page.topLeft(), {page.right() - fold, page.top()}, {page.right(), page.top() + fold},
                page.bottomRight(), page.bottomLeft()});
    p.setBrush(QColor(0xd0, 0xd6, 0xe0));
    Polygon(p, {{page.right() - fold, page.top()}, {page.right() - fold, page.top() + fold},
                {page.right(), page.top() + fold}});
    if (!lines) return;
    p.setPen(Outline(QColor(0x7f, 0x9c, 0xc4)));
    for (double y = page.top() + 5; y < page.bottom() - 1; y += 2)
        p.drawLine(QPointF(page.left() + 1.5, y), QPointF(page.right() - 1.5, y));
}

void DrawFile(QPainter& p) { DrawPage(p, QRectF(2.5, 1.5, 11, 13), true); }

void DrawMusic(QPainter& p) {
    const QColor ink(0x6a, 0x2c, 0x9c);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    Polygon(p, {{5, 3}, {14, 1}, {14, 3.5}, {5, 5.5}});  // the beam
    p.drawRect(QRectF(5, 3, 1.5, 9.5));
    p.drawRect(QRectF(12.5, 1.5, 1.5, 9.5));
    p.save();
    for (const QPointF& head : {QPointF(3.8, 12.6), QPointF(11.3, 11.1)}) {
        p.save();
        p.translate(head);
        p.rotate(-20);
        p.drawEllipse(QPointF(0, 0), 2.6, 1.9);
        p.restore();
    }
    p.restore();
}

void DrawFilm(QPainter& p) {
    p.setPen(Outline(QColor(0x20, 0x20, 0x24)));
    p.setBrush(QColor(0x33, 0x33, 0x3a));
    p.drawRect(QRectF(2.5, 0.5, 11, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf0, 0xf0, 0xf0));
    for (double y = 1.5; y < 15; y += 3) {
        p.drawRect(QRectF(3.5, y, 1.5, 1.5));
        p.drawRect(QRectF(11, y, 1.5, 1.5));
    }
    p.setBrush(Shaded(QColor(0x8e, 0xc8, 0xf5), QColor(0x3b, 0x8a, 0xd0), 2, 7));
    p.drawRect(QRectF(6, 2, 4, 5));
    p.setBrush(Shaded(QColor(0xf5, 0xc8, 0x7e), QColor(0xd0, 0x7a, 0x3b), 9, 14));
    p.drawRect(QRectF(6, 9, 4, 5));
}

void DrawPhoto(QPainter& p) {
    p.setPen(Outline(QColor(0x4a, 0x50, 0x5a)));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(0.5, 2.5, 15, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(Shaded(QColor(0x9c, 0xd4, 0xff), QColor(0x5a, 0xa8, 0xe8), 4, 12));
    p.drawRect(QRectF(2, 4, 12, 8));
    p.setBrush(QColor(0xff, 0xd2, 0x3a));
    p.drawEllipse(QPointF(11, 6.5), 1.5, 1.5);
    p.setBrush(QColor(0x3c, 0x9a, 0x3c));
    Polygon(p, {{2, 12}, {2, 10}, {6, 6.5}, {9.5, 10}, {11, 9}, {14, 11}, {14, 12}});
}

void DrawGamepad(QPainter& p) {
    QPainterPath pad;
    pad.moveTo(4, 4.5);
    pad.lineTo(12, 4.5);
    pad.cubicTo(14.5, 4.5, 15.5, 7, 15.5, 10);
    pad.cubicTo(15.5, 13, 13.5, 13.5, 12, 11.5);
    pad.lineTo(11, 10.5);
    pad.lineTo(5, 10.5);
    pad.lineTo(4, 11.5);
    pad.cubicTo(2.5, 13.5, 0.5, 13, 0.5, 10);
    pad.cubicTo(0.5, 7, 1.5, 4.5, 4, 4.5);
    p.setPen(Outline(QColor(0x2a, 0x2e, 0x36)));
    p.setBrush(Shaded(QColor(0x7a, 0x82, 0x90), QColor(0x44, 0x4a, 0x56), 4, 13));
    p.drawPath(pad);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf0, 0xf0, 0xf0));
    p.drawRect(QRectF(3, 6, 1.5, 4.5));
    p.drawRect(QRectF(1.5, 7.5, 4.5, 1.5));
    p.setBrush(QColor(0xe8, 0x3a, 0x3a));
    p.drawEllipse(QPointF(12.5, 7), 1.2, 1.2);
    p.setBrush(QColor(0x3a, 0xb8, 0x4a));
    p.drawEllipse(QPointF(10.5, 8.8), 1.2, 1.2);
}

void DrawGear(QPainter& p) {
    QPainterPath gear;
    const QPointF c(8, 8);
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        // Each tooth: two points on the outer circle, two on the inner.
        const double angle = (i * 360.0 / (teeth * 4) - 5.6) * M_PI / 180.0;
        const double r = (i % 4 < 2) ? 7.3 : 5.4;
        const QPointF at(c.x() + r * std::cos(angle), c.y() + r * std::sin(angle));
        if (i == 0) gear.moveTo(at); else gear.lineTo(at);
    }
    gear.closeSubpath();
    gear.addEllipse(c, 2.2, 2.2);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(Outline(QColor(0x24, 0x3e, 0x5e)));
    p.setBrush(Shaded(QColor(0x9a, 0xb8, 0xd8), QColor(0x4a, 0x6e, 0x9a)));
    p.drawPath(gear);
}

void DrawDocuments(QPainter& p) {
    DrawPage(p, QRectF(4.5, 0.5, 10, 12), false);
    DrawPage(p, QRectF(1.5, 3.5, 10, 12), true);
}

// A circular arrow round a disc: copies kept safe.
void DrawBackup(QPainter& p) {
    DrawDisc(p, {8, 8}, 4);
    QPen arc(QColor(0x2a, 0x9a, 0x3e), 2.0);
    arc.setCapStyle(Qt::FlatCap);
    p.setPen(arc);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(1.5, 1.5, 13, 13), 100 * 16, 290 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2a, 0x9a, 0x3e));
    Polygon(p, {{7.2, -0.2}, {11.0, 2.2}, {7.2, 4.6}});
}

void DrawBooks(QPainter& p) {
    struct Spine { double x, top, width; QColor colour; };
    const Spine spines[] = {{1.5, 2.5, 3, QColor(0xc8, 0x3a, 0x3a)},
                            {4.5, 4.5, 3, QColor(0x3a, 0x7a, 0xc8)},
                            {7.5, 1.5, 3, QColor(0x3a, 0xa0, 0x5a)}};
    p.setPen(Outline(QColor(0x30, 0x2a, 0x26)));
    for (const Spine& s : spines) {
        p.setBrush(Shaded(s.colour.lighter(125), s.colour, s.top, 14));
        p.drawRect(QRectF(s.x, s.top, s.width, 14.5 - s.top));
        p.drawLine(QPointF(s.x, s.top + 2), QPointF(s.x + s.width, s.top + 2));
    }
    // The last book leans on the others.
    p.save();
    p.translate(11, 14.5);
    p.rotate(16);
    p.setBrush(Shaded(QColor(0xe8, 0xb8, 0x4a), QColor(0xc0, 0x8a, 0x20), -12, 0));
    p.drawRect(QRectF(0, -12, 3, 12));
    p.restore();
}

void DrawBriefcase(QPainter& p) {
    p.setPen(Outline(QColor(0x4a, 0x2c, 0x14)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(5.5, 2.5, 5, 2));
    p.setBrush(Shaded(QColor(0xc0, 0x84, 0x4c), QColor(0x8a, 0x54, 0x26), 4, 14));
    p.drawRect(QRectF(0.5, 4.5, 15, 9));
    p.drawLine(QPointF(0.5, 8.5), QPointF(15.5, 8.5));
    p.setBrush(QColor(0xf0, 0xd0, 0x60));
    p.drawRect(QRectF(6.5, 7.5, 3, 2));
}

void DrawGlobe(QPainter& p) {
    const QPointF c(8, 8);
    p.setPen(Outline(QColor(0x1a, 0x4a, 0x8a)));
    QRadialGradient sea(QPointF(6, 5), 9);
    sea.setColorAt(0, QColor(0x9c, 0xd4, 0xff));
    sea.setColorAt(1, QColor(0x2a, 0x78, 0xd0));
    p.setBrush(sea);
    p.drawEllipse(c, 7, 7);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 3, 7);
    p.drawLine(QPointF(8, 1), QPointF(8, 15));
    p.drawLine(QPointF(1, 8), QPointF(15, 8));
    p.drawLine(QPointF(2.2, 4.5), QPointF(13.8, 4.5));
    p.drawLine(QPointF(2.2, 11.5), QPointF(13.8, 11.5));
}

void DrawStar(QPainter& p) {
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double angle = (-90 + i * 36) * M_PI / 180.0;
        const double r = (i % 2 == 0) ? 7.6 : 3.1;
        star << QPointF(8 + r * std::cos(angle), 8.6 + r * std::sin(angle));
    }
    p.setPen(Outline(QColor(0x9a, 0x6a, 0x08)));
    p.setBrush(Shaded(QColor(0xff, 0xe8, 0x6a), QColor(0xf0, 0xa8, 0x18), 1, 15));
    p.drawPolygon(star);
}

void DrawPadlock(QPainter& p) {
    QPen shackle(QColor(0x6a, 0x70, 0x7a), 2.0);
    p.setPen(shackle);
    p.setBrush(Qt::NoBrush);
    QPainterPath bow;
    bow.moveTo(4.5, 8);
    bow.lineTo(4.5, 5);
    bow.arcTo(QRectF(4.5, 1.5, 7, 7), 180, -180);
    bow.lineTo(11.5, 8);
    p.drawPath(bow);
    p.setPen(Outline(QColor(0x8a, 0x60, 0x08)));
    p.setBrush(Shaded(QColor(0xff, 0xd8, 0x5a), QColor(0xd8, 0x98, 0x18), 7, 15));
    p.drawRoundedRect(QRectF(2.5, 7.5, 11, 8), 1, 1);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x5a, 0x40, 0x08));
    p.drawEllipse(QPointF(8, 10.5), 1.3, 1.3);
    p.drawRect(QRectF(7.4, 10.5, 1.2, 3));
}

void DrawPicture(QPainter& p, int kind, bool open) {
    switch (kind) {
        case kIconRoot: DrawRoot(p); return;
        case kIconCd: DrawCd(p); return;
        case kIconFolder: DrawDrive(p); return;
        case kIconDirectory: DrawDirectory(p, open); return;
        case kIconFile: DrawFile(p); return;
        case kFirstCategoryPicture + 0: DrawMusic(p); return;
        case kFirstCategoryPicture + 1: DrawFilm(p); return;
        case kFirstCategoryPicture + 2: DrawPhoto(p); return;
        case kFirstCategoryPicture + 3: DrawGamepad(p); return;
        case kFirstCategoryPicture + 4: DrawGear(p); return;
        case kFirstCategoryPicture + 5: DrawDocuments(p); return;
        case kFirstCategoryPicture + 6: DrawBackup(p); return;
        case kFirstCategoryPicture + 7: DrawBooks(p); return;
        case kFirstCategoryPicture + 8: DrawBriefcase(p); return;
        case kFirstCategoryPicture + 9: DrawGlobe(p); return;
        case kFirstCategoryPicture + 10: DrawStar(p); return;
        case kFirstCategoryPicture + 11: DrawPadlock(p); return;
        default: DrawCategory(p, open); return;
    }
}

// Paints one picture into any rectangle at the painter's resolution. QIcon::On is the open
// state (a tree view asks for it for an expanded node), which folders show open.
class ItemIconEngine : public QIconEngine {
public:
    explicit ItemIconEngine(int kind) : kind_(kind) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const int side = std::min(rect.width(), rect.height());
        if (side <= 0) return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.x() + (rect.width() - side) / 2.0,
                           rect.y() + (rect.height() - side) / 2.0);
        painter->scale(side / kGrid, side / kGrid);
        if (mode == QIcon::Disabled) painter->setOpacity(0.4);
        DrawPicture(*painter, kind_, state == QIcon::On);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const QString key = QStringLiteral("karvio-item-%1-%2x%3-%4-%5")
                                .arg(kind_)
                                .arg(size.width())
                                .arg(size.height())
                                .arg(static_cast<int>(mode))
                                .arg(static_cast<int>(state));
        QPixmap out;
        if (QPixmapCache::find(key, &out)) return out;
        out = QPixmap(size);
        out.fill(Qt::transparent);
        {
            QPainter painter(&out);
            paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        }
        QPixmapCache::insert(key, out);
        return out;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {QSize(16, 16), QSize(32, 32)};
    }

    QIconEngine* clone() const override { return new ItemIconEngine(kind_); }
    QString key() const override { return QStringLiteral("KarvioItemIcon"); }

private:
    int kind_;
};

}  // namespace

QIcon ItemIcon(int kind) {
    if (kind < kIconRoot || kind > LastCategoryPicture()) kind = kIconCategory;
    static QIcon pictures[kLastCategoryImage + 1];
    QIcon& icon = pictures[kind];
    if (icon.isNull()) icon = QIcon(new ItemIconEngine(kind));
    return icon;
}

int LastCategoryPicture() { return kLastCategoryImage; }

QIcon FileTypeIcon(const QString& fileName) {
    static const bool themeChosen = [] {
        auto bare = [](const QString& name) { return name.isEmpty() || name == QLatin1String("hicolor"); };
        if (bare(QIcon::themeName()) && bare(QIcon::fallbackThemeName())) {
            for (const QString& dir : QIcon::themeSearchPaths()) {
                if (QDir(dir).exists(QStringLiteral("Adwaita/index.theme"))) {
                    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
                    break;
                }
            }
        }
        return true;
    }();
    (void)themeChosen;
    static const QMimeDatabase mimes;
    const QMimeType type = mimes.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault()) return {};
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) icon = QIcon::fromTheme(type.genericIconName());
    return icon;
}

QIcon ArchiveIcon() {
    static const QIcon icon = [] {
        QIcon theme = QIcon::fromTheme(QStringLiteral("package-x-generic"));
        if (theme.isNull()) theme = FileTypeIcon(QStringLiteral("archive.zip"));
        return theme.isNull() ? ItemIcon(kIconFile) : theme;
    }();
    return icon;
}

}  // namespace karvio
