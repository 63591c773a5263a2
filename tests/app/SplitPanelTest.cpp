#include <gtest/gtest.h>

#include <QTest>

#include "controls/SplitPanel.h"

namespace karvio {
namespace {

TEST(SplitPanel, VerticalSplitArithmetic) {
    const SplitGeometry g = ComputeSplitLayout(false, 1080, 700, 0.5, 80);
    EXPECT_EQ(g.control1, QRectF(0, 0, 500, 700));
    EXPECT_EQ(g.bar, QRectF(500, 0, 80, 700));
    EXPECT_EQ(g.control2, QRectF(580, 0, 500, 700));
}

TEST(SplitPanel, HorizontalSplitArithmetic) {
    const SplitGeometry g = ComputeSplitLayout(true, 900, 1080, 0.25, 80);
    EXPECT_EQ(g.control1, QRectF(0, 0, 900, 250));
    EXPECT_EQ(g.bar, QRectF(0, 250, 900, 80));
    EXPECT_EQ(g.control2, QRectF(0, 330, 900, 750));
}

TEST(SplitPanel, DragTakesTheBarToThePointerAndClamps) {
    struct Case {
        double barLeft, pointer, length, position, fraction;
    } cases[] = {
        {500, 80, 1080, 500, 500.0 / 1080},  // pointer on the bar's far edge: no move
        {500, 40, 1080, 460, 460.0 / 1080},
        {500, 600, 1080, 1020, 0.9},   // beyond the right end
        {500, -900, 1080, -480, 0.1},  // beyond the left end
        {100, 0, 1000, 20, 0.1},
    };
    for (const Case& c : cases) {
        const SplitDrag d = DragSplitBar(c.barLeft, c.pointer, 80, c.length);
        EXPECT_DOUBLE_EQ(d.barPosition, c.position);
        EXPECT_DOUBLE_EQ(d.fraction, c.fraction);
    }
}

TEST(SplitPanel, LaysOutItsChildren) {
    SplitPanel panel;
    auto* left = new QWidget;
    auto* right = new QWidget;
    panel.setControl1(left);
    panel.setControl2(right);
    panel.resize(405, 200);
    panel.show();
    const int bar = panel.BarThickness();
    EXPECT_EQ(panel.SplitPercent(), 50);
    EXPECT_EQ(left->geometry(), QRect(0, 0, (405 - bar) / 2, 200));
    EXPECT_EQ(panel.Splitter()->geometry().left(), (405 - bar) / 2);
    EXPECT_EQ(right->geometry().left(), (405 - bar) / 2 + bar);
    EXPECT_EQ(panel.Splitter()->cursor().shape(), Qt::SizeHorCursor);

    panel.setHorizontalSplit(true);
    EXPECT_EQ(panel.Splitter()->cursor().shape(), Qt::SizeVerCursor);
    EXPECT_EQ(left->width(), 405);
    EXPECT_EQ(right->geometry().top(), left->height() + bar);

    panel.setSplitPercent(30);
    EXPECT_EQ(panel.SplitPercent(), 30);
    EXPECT_NEAR(left->height(), (200 - bar) * 0.3, 1);
}

TEST(SplitPanel, DraggingPastTheEndLeavesNinetyPercent) {
    SplitPanel panel;
    panel.setControl1(new QWidget);
    panel.setControl2(new QWidget);
    panel.resize(400, 200);
    panel.show();
    QWidget* bar = panel.Splitter();
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(600, 10), bar->mapToGlobal(QPointF(600, 10)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(2, 10));
    EXPECT_EQ(panel.SplitPercent(), 90);
    EXPECT_NEAR(panel.Control1()->width(), (400 - panel.BarThickness()) * 0.9, 1);

    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 10));
    QMouseEvent back(QEvent::MouseMove, QPointF(-900, 10), bar->mapToGlobal(QPointF(-900, 10)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &back);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(2, 10));
    EXPECT_EQ(panel.SplitPercent(), 10);
}

TEST(SplitPanel, MissingChildrenAreSkipped) {
    SplitPanel panel;
    panel.resize(300, 100);
    panel.show();
    panel.setControl2(new QWidget);
    panel.setSplitPercent(0);
    EXPECT_EQ(panel.Control2()->geometry().left(), panel.BarThickness());
}

}  // namespace
}  // namespace karvio
