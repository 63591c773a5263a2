#include "QuickQuery.h"

#include <gtest/gtest.h>

using namespace karvio;

TEST(QuickQueryTest, FoldingIgnoresCaseCompositionAndSharpS)
{
    struct Case { QString stored; QString typed; QuickMatchMode mode; bool match; };
    const Case cases[] = {
        {QStringLiteral("cafe\u0301.txt"), QStringLiteral("café"), QuickMatchMode::Anywhere, true},
        {QStringLiteral("caf\u00e9"), QStringLiteral("CAFE\u0301"), QuickMatchMode::WholeField, true},
        {QStringLiteral("größe"), QStringLiteral("GRÖSSE"), QuickMatchMode::WholeField, true},
        {QStringLiteral("ABC"), QStringLiteral("abc"), QuickMatchMode::WholeField, true},
        {QStringLiteral("abc.txt"), QStringLiteral("abc"), QuickMatchMode::WholeField, false},
        {QStringLiteral("abc.txt"), QStringLiteral("abc"), QuickMatchMode::Beginning, true},
        {QStringLiteral("xabc.txt"), QStringLiteral("abc"), QuickMatchMode::Beginning, false},
        {QStringLiteral("xabc.txt"), QStringLiteral("abc"), QuickMatchMode::Anywhere, true},
        {QStringLiteral("cafe"), QStringLiteral("café"), QuickMatchMode::Anywhere, false},
    };
    for (const Case& c : cases) {
        const QuickQuery q = ParseQuickQuery(c.typed);
        EXPECT_EQ(q.MatchesName(QuickFold(c.stored), c.mode), c.match)
            << c.stored.toStdString() << " / " << c.typed.toStdString();
    }
}

TEST(QuickQueryTest, WordsPhrasesAndFilters)
{
    QuickQuery q = ParseQuickQuery(QStringLiteral("  Holiday \"new york\" 2019 "));
    EXPECT_EQ(q.words, (QStringList{"holiday", "2019"}));
    EXPECT_EQ(q.phrases, QStringList{"new york"});
    EXPECT_TRUE(q.MatchesName(QuickFold("2019 New York Holiday.jpg"), QuickMatchMode::Anywhere));
    EXPECT_FALSE(q.MatchesName(QuickFold("New holiday York 2019"), QuickMatchMode::Anywhere));

    q = ParseQuickQuery(QStringLiteral("kind:file,dir ext:.JPG size:>10M date:2015..2019"));
    EXPECT_TRUE(q.error.isEmpty());
    EXPECT_EQ(q.kindMask, 6);
    EXPECT_EQ(q.extensions, QStringList{"jpg"});
    ASSERT_TRUE(q.size && q.year);
    EXPECT_FALSE(q.size->Contains(10LL * 1024 * 1024));
    EXPECT_TRUE(q.size->Contains(10LL * 1024 * 1024 + 1));
    EXPECT_TRUE(q.year->Contains(2015) && q.year->Contains(2019));
    EXPECT_FALSE(q.year->Contains(2020));
    EXPECT_TRUE(q.words.isEmpty());

    q = ParseQuickQuery(QStringLiteral("size:<=1k date:2019"));
    EXPECT_TRUE(q.size->Contains(1024) && !q.size->Contains(1025));
    EXPECT_TRUE(q.year->Contains(2019) && !q.year->Contains(2018));

    // Unreadable filters say so instead of matching everything or nothing silently.
    for (const char* bad : {"size:>lots", "date:..", "kind:pipe", "size:>99999999999T"})
        EXPECT_FALSE(ParseQuickQuery(QString::fromUtf8(bad)).error.isEmpty()) << bad;
    // An unclosed quote takes the rest of the line as the phrase.
    EXPECT_EQ(ParseQuickQuery(QStringLiteral("a \"b c")).phrases, QStringList{"b c"});
    EXPECT_TRUE(ParseQuickQuery(QStringLiteral("  \"\" ")).IsEmpty());
}

TEST(QuickQueryTest, NamesThatAreNotUtf8ReadAsWindows1252)
{
    EXPECT_EQ(QuickDecodeName(QByteArray("caf\xc3\xa9")), QStringLiteral("café"));
    EXPECT_EQ(QuickDecodeName(QByteArray("caf\xe9")), QStringLiteral("café"));
    EXPECT_EQ(QuickDecodeName(QByteArray("\x80 \x9f")), QStringLiteral("\u20ac \u0178"));
}
