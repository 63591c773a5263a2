// The display formatting of catalogue values: sizes, attribute words, HTML colours, one-line
// texts and the one-line text file writer.
#include <gtest/gtest.h>

#include <QLocale>
#include <fstream>
#include <iterator>

#include "../support/TempDir.h"
#include "Format.h"

using namespace karvio;

TEST(Format, SizesShowTheMagnitudeGroupedInSixteenColumns) {
    const std::string sep = QLocale::system().groupSeparator().toStdString();
    struct Case {
        double value;
        std::string digits;
    } cases[] = {{1234567, "1" + sep + "234" + sep + "567"}, {-1234567, "1" + sep + "234" + sep + "567"},
                 {0, "0"}, {999, "999"}, {1000.4, "1" + sep + "000"}, {5368709127.0, "5" + sep + "368" + sep + "709" + sep + "127"}};
    for (const Case& c : cases) {
        const std::string text = FormatSize(c.value);
        EXPECT_EQ(text, std::string(16 - QString::fromStdString(c.digits).size(), ' ') + c.digits) << c.value;
    }
    EXPECT_EQ(PadLeft("abc", 5), "  abc");
    EXPECT_EQ(PadLeft("abcdef", 3), "def");
    EXPECT_EQ(PadLeft("abc", 0), "");
}

TEST(Format, AttributeWordsColoursAndLines) {
    const std::pair<int32_t, const char*> attrs[] = {
        {33, " readonly-archive "}, {0, "  "}, {16 | 2, " directory-hidden "}, {55, " directory-hidden-readonly-system-archive "}};
    for (const auto& [attr, text] : attrs) EXPECT_EQ(AttributesToText(attr), text) << attr;
    const std::pair<int32_t, const char*> colours[] = {{255, "#FF0000"}, {0, "#000000"}, {0xFF0000, "#0000FF"}, {0x123456, "#563412"}};
    for (const auto& [colour, html] : colours) EXPECT_EQ(ColorToHtml(colour), html) << colour;
    EXPECT_EQ(FlattenLines("a\r\nb"), "a_b");
    EXPECT_EQ(FlattenLines("a\nb\rc"), "ab_c");
}

TEST(Format, WriteTextFileOverwritesOrAppendsOneLine) {
    karvio::testing::TempDir dir;
    const std::string path = dir.File("t.txt");
    auto read = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    EXPECT_TRUE(WriteTextFile(path, "", true));
    EXPECT_EQ(read(), "");
    EXPECT_TRUE(WriteTextFile(path, "", false));
    EXPECT_EQ(read(), "\r\n");
    EXPECT_TRUE(WriteTextFile(path, "line", false));
    EXPECT_EQ(read(), "\r\nline\r\n");
    EXPECT_TRUE(WriteTextFile(path, "new", true));
    EXPECT_EQ(read(), "new\r\n");
    EXPECT_FALSE(WriteTextFile(dir.File("missing/t.txt"), "x", true));
}
