#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include "startup/Settings.h"
#include "views/frmTip.h"

namespace karvio {
namespace {

QString WriteTips(const QTemporaryDir& dir, const QByteArray& content) {
    const QString path = dir.filePath("Karvio.tip");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
}

TEST(Tip, PickingCoversEveryTip) {
    struct Case {
        int count;
        double r;
        int index;
    } cases[] = {{24, 0.0, 1}, {24, 0.999999, 24}, {24, 0.5, 13}, {1, 0.7, 1}, {0, 0.3, 1}};
    for (const Case& c : cases) EXPECT_EQ(PickTipIndex(c.count, c.r), c.index);
}

TEST(Tip, EveryLineIsATip) {
    QTemporaryDir dir;
    const QString path = WriteTips(dir, "First tip\r\n\nThird tip, after an empty one\nLast tip\n");
    frmTip tip(nullptr, path, [] { return 0.0; });
    ASSERT_EQ(tip.Tips().size(), 4);
    EXPECT_EQ(tip.Tips().at(0), "First tip");
    EXPECT_EQ(tip.Tips().at(1), "");
    EXPECT_EQ(tip.Tips().at(3), "Last tip");
    EXPECT_EQ(tip.TipLabel()->text(), "First tip");
}

TEST(Tip, NextTipPicksAgain) {
    QTemporaryDir dir;
    const QString path = WriteTips(dir, "one\ntwo\nthree\nfour");
    double r = 0.0;
    frmTip tip(nullptr, path, [&r] { return r; });
    r = 0.8;
    tip.NextTipButton()->click();
    EXPECT_EQ(tip.CurrentTip(), 4);
    EXPECT_EQ(tip.TipLabel()->text(), "four");
}

TEST(Tip, MissingFileExplainsItself) {
    frmTip tip(nullptr, "/nonexistent/dir/Karvio.tip", [] { return 0.0; });
    EXPECT_TRUE(tip.Tips().isEmpty());
    EXPECT_EQ(tip.TipLabel()->text(),
              "That the Karvio.tip file was not found? \n\nCreate a text file named Karvio.tip "
              "using NotePad with 1 tip per line. Then place it in the same directory as the "
              "application. ");
    // The check box still works.
    SaveSetting(settings::kShowTipsAtStartup, "1");
    frmTip shown(nullptr, "/nonexistent/dir/Karvio.tip");
    EXPECT_TRUE(shown.StartupCheckBox()->isChecked());
    shown.StartupCheckBox()->click();
    EXPECT_EQ(GetSetting(settings::kShowTipsAtStartup), "0");
    EXPECT_FALSE(frmTip::ShowsAtStartup());
}

TEST(Tip, EmptyFileKeepsTheDesignText) {
    QTemporaryDir dir;
    const QString path = WriteTips(dir, "");
    frmTip tip(nullptr, path, [] { return 0.5; });
    const QString design = tip.TipLabel()->text();
    EXPECT_TRUE(tip.Tips().isEmpty());
    EXPECT_FALSE(design.isEmpty());
    tip.NextTipButton()->click();
    EXPECT_EQ(tip.TipLabel()->text(), design);
}

TEST(Tip, CheckBoxShowsAndStoresTheSetting) {
    SaveSetting(settings::kShowTipsAtStartup, "0");
    {
        frmTip tip(nullptr, "/nonexistent");
        EXPECT_FALSE(tip.StartupCheckBox()->isChecked());
        tip.StartupCheckBox()->click();
    }
    EXPECT_EQ(GetSetting(settings::kShowTipsAtStartup), "1");
    EXPECT_TRUE(frmTip::ShowsAtStartup());
    SaveSetting(settings::kShowTipsAtStartup, "0");
    EXPECT_FALSE(frmTip::ShowsAtStartup());
    // At start-up with tips switched off nothing is shown (a modal window would block here).
    frmTip::ShowTipOfTheDay(false);
}

TEST(Tip, TheShippedTipsFileHasTwentyTips) {
    QFile file(QStringLiteral(KARVIO_SOURCE_DIR "/resources/Karvio.tip"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    int tips = 0;
    for (const QByteArray& line : lines) {
        if (!line.trimmed().isEmpty()) ++tips;
    }
    EXPECT_GE(tips, 20);
    EXPECT_TRUE(lines.last().isEmpty()) << "ends with a line break";
    for (int i = 0; i + 1 < lines.size(); ++i)
        EXPECT_FALSE(lines[i].trimmed().isEmpty()) << "no empty tip";
}

}  // namespace
}  // namespace karvio
