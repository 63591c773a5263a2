// The details filters of the quick-find language, read as a table of texts and what they mean;
// what they leave is the ordinary query.
#include <gtest/gtest.h>

#include "DetailsQuery.h"

using namespace karvio;

TEST(DetailsQuery, FiltersAreTakenOutAndTheRestStays) {
    FullQuery q = ParseFullQuery(QStringLiteral("beach artist:\"The Band\" camera:CANON taken:2015..2019 \"new york\""));
    EXPECT_EQ(q.details.artist, QStringLiteral("the band"));
    EXPECT_EQ(q.details.camera, QStringLiteral("canon"));
    ASSERT_TRUE(q.details.takenYear);
    EXPECT_EQ(q.details.takenYear->low, 2015);
    EXPECT_EQ(q.details.takenYear->high, 2019);
    EXPECT_EQ(q.names.words, QStringList{QStringLiteral("beach")});
    EXPECT_EQ(q.names.phrases, QStringList{QStringLiteral("new york")});
    EXPECT_TRUE(q.Error().isEmpty());

    const struct {
        const char* text;
        int64_t low, high;
    } durations[] = {{"duration:>3m", 181, INT64_MAX}, {"duration:<90s", INT64_MIN, 89}, {"duration:1h..2h", 3600, 7200},
                     {"duration:1h30m", 5400, 5400}, {"duration:>=45", 45, INT64_MAX}};
    for (const auto& d : durations) {
        q = ParseFullQuery(QString::fromUtf8(d.text));
        ASSERT_TRUE(q.details.duration) << d.text;
        EXPECT_EQ(q.details.duration->low, d.low) << d.text;
        EXPECT_EQ(q.details.duration->high, d.high) << d.text;
    }
    EXPECT_EQ(ParseFullQuery(QStringLiteral("in:archive report")).details.inArchive, -1);
    EXPECT_EQ(ParseFullQuery(QStringLiteral("in:4242")).details.inArchive, 4242);
    EXPECT_EQ(ParseFullQuery(QStringLiteral("width:>3000")).details.width->low, 3001);
    // Unknown keys stay words; bad values are errors.
    EXPECT_EQ(ParseFullQuery(QStringLiteral("colour:red")).names.words, QStringList{QStringLiteral("colour:red")});
    for (const char* bad : {"duration:soon", "width:wide", "in:nowhere", "taken:..", "height:>x"}) {
        EXPECT_FALSE(ParseFullQuery(QString::fromUtf8(bad)).Error().isEmpty()) << bad;
    }
    EXPECT_TRUE(ParseFullQuery(QStringLiteral("   ")).details.IsEmpty());
}
