// A container that lays two child widgets side by side (or one above the other) with a draggable
// bar between them and keeps the division as a share of its own length. It does not own the
// children's lifetime beyond Qt's parent-child rule (they become its children). User-interface
// thread.
#pragma once

#include <QPointer>
#include <QRectF>
#include <QWidget>
#include <cstdint>

namespace karvio {

inline constexpr double kSplitBarTwips = 80;
inline constexpr double kMinSplitFraction = 0.1;
inline constexpr double kMaxSplitFraction = 0.9;

struct SplitGeometry {
    QRectF control1;
    QRectF control2;
    QRectF bar;
};

// Where the two children and the bar go in a panel of `width` x `height` divided at `fraction`.
SplitGeometry ComputeSplitLayout(bool horizontalSplit, double width, double height, double fraction,
                                 double barThickness);

struct SplitDrag {
    double barPosition;  // the bar's new left (or top), unclamped while the button is held
    double fraction;     // the share to lay out with at release, within 0.1 .. 0.9
};

// The bar at `barPosition` dragged with the pointer at `pointer`, both along the split axis and
// the pointer relative to the bar; `length` is the panel's width (or height).
SplitDrag DragSplitBar(double barPosition, double pointer, double barThickness, double length);

class SplitPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool HorizontalSplit READ HorizontalSplit WRITE setHorizontalSplit)
    Q_PROPERTY(int SplitPercent READ SplitPercent WRITE setSplitPercent)

public:
    explicit SplitPanel(QWidget* parent = nullptr);

    bool HorizontalSplit() const { return horizontalSplit_; }
    void setHorizontalSplit(bool horizontal);
    QWidget* Control1() const { return control1_; }
    void setControl1(QWidget* control);
    QWidget* Control2() const { return control2_; }
    void setControl2(QWidget* control);
    // The share of Control1 in per cent.
    uint8_t SplitPercent() const;
    // Not clamped: hosts pass 0 to 100.
    void setSplitPercent(int percent);
    double Fraction() const { return fraction_; }

    QWidget* Splitter() const { return splitter_; }
    // The bar's thickness in pixels.
    int BarThickness() const;

    // The children's own sizes side by side (or one above the other) with the bar between, so a
    // window holding the panel opens large enough to show both.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Layout();
    void SetBarColour(QPalette::ColorRole role);

    bool horizontalSplit_ = false;
    double fraction_ = 0.5;
    QPointer<QWidget> control1_;
    QPointer<QWidget> control2_;
    QWidget* splitter_;
};

}  // namespace karvio
