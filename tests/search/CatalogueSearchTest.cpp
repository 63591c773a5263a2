// The search: which field each flag tests per record kind, the three modes, the input checks, the
// rows handed to the callback, the walk order, the stop flag and the progress per CD.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "CatalogueSearch.h"
#include "DateText.h"
#include "Messages.h"
#include "Progress.h"

using namespace karvio;
using karvio::testing::AddSampleCd;
using karvio::testing::SampleDir;
using karvio::testing::SampleFile;

namespace {

class CatalogueSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        data_ = std::make_unique<classData>(dir_.File("search.cd"));
        // Alpha: /media/Alpha, label "Alpha label", notes "first disc".
        alpha_ = AddSampleCd(*data_, "Alpha",
                             {SampleDir{"", "\\", {{"readme.txt", 10, "read me first"}, {"setup.exe", 2000, ""}}, ""},
                              SampleDir{"Docs", "\\", {{"manual.pdf", 5000, ""}}, "the manuals"},
                              SampleDir{"Old", "Docs", {{"ABC", 1, ""}, {"abc.txt", 2, ""}, {"xabc", 3, ""}}, ""},
                              SampleDir{"Loose", "", {}, ""}},
                             0, "first disc");
        beta_ = AddSampleCd(*data_, "Beta",
                            {SampleDir{"Photos", "\\", {{"\xC3\x84RGER.jpg", 1, ""},        // ÄRGER, UTF-8
                                                         {"\xC4rger.bmp", 1, ""},           // Ärger, Windows-1252
                                                         {"\xE2\x84\xAA" "elvin.png", 1, ""},  // Kelvin sign
                                                         {"zz_zephyr_long_name_2019.jpg", 1, ""}},
                                        ""}});
    }

    // Every hit as "kind:name", in walk order.
    std::vector<std::string> Hits(SearchCriteria c, std::vector<int32_t> cds = {}) {
        if (cds.empty()) cds = {alpha_, beta_};
        std::vector<std::string> hits;
        SearchCatalogue(*data_, cds, c, [&](const SearchHit& h) {
            const char* kind = h.kind == SearchHitKind::Cd ? "cd" : h.kind == SearchHitKind::Directory ? "dir" : "file";
            hits.push_back(std::string(kind) + ":" + h.name);
        });
        return hits;
    }

    karvio::testing::TempDir dir_;
    std::unique_ptr<classData> data_;
    int32_t alpha_ = 0, beta_ = 0;
};

struct MatchCase {
    const char* text;
    int mode;
    bool cdNames, paths, files, notes;
    std::vector<std::string> expected;
};

TEST_F(CatalogueSearchTest, ModesAndFlagsSelectTheFieldsOfEachRecordKind) {
    const MatchCase cases[] = {
        // Whole field, beginning, anywhere; letter case ignored.
        {"abc", kMatchWhole, false, false, true, false, {"file:ABC"}},
        {"abc", kMatchBeginning, false, false, true, false, {"file:ABC", "file:abc.txt"}},
        {"ABC", kMatchAnywhere, false, false, true, false, {"file:ABC", "file:abc.txt", "file:xabc"}},
        {"bc", kMatchBeginning, false, false, true, false, {}},
        {"abc", 3, true, true, true, true, {}},  // any other mode matches nothing
        // CD names only: CDs by their names, never a directory or a file.
        {"alpha", kMatchAnywhere, true, false, false, false, {"cd:Alpha"}},
        // Paths only: CDs by base path, directories by path, files never.
        {"media", kMatchAnywhere, false, true, false, false, {"cd:Alpha", "cd:Beta"}},
        {"docs", kMatchWhole, false, true, false, false, {"dir:Old"}},
        // An empty stored path reads as "\": the root, the first-level directories and Loose.
        {"\\", kMatchWhole, false, true, false, false, {"dir:", "dir:Docs", "dir:Loose", "dir:Photos"}},
        // The name flag tests directory and file names, never a CD's name.
        {"docs", kMatchWhole, false, false, true, false, {"dir:Docs"}},
        {"alpha", kMatchAnywhere, false, false, true, false, {}},
        // Comments: the notes of all three kinds.
        {"first", kMatchAnywhere, false, false, false, true, {"cd:Alpha", "file:readme.txt"}},
        {"manual", kMatchAnywhere, false, true, true, true, {"dir:Docs", "file:manual.pdf"}},
        // Other scripts and the Windows program's bytes, folded the same way.
        {"\xC3\xA4rger", kMatchBeginning, false, false, true, false, {"file:\xC3\x84RGER.jpg", "file:\xC4rger.bmp"}},
        {"kelvin", kMatchWhole, false, false, true, false, {}},
        {"kelvin.png", kMatchWhole, false, false, true, false, {"file:\xE2\x84\xAA" "elvin.png"}},
        {"ZEPHYR_LONG_NAME_2019", kMatchAnywhere, false, false, true, false, {"file:zz_zephyr_long_name_2019.jpg"}},
        // "*" is no wildcard: it is dropped. Whole field with an empty text: the empty notes.
        {"a*b*c", kMatchWhole, false, false, true, false, {"file:ABC"}},
        {"***", kMatchWhole, true, false, false, false, {}},
    };
    for (const MatchCase& c : cases) {
        SearchCriteria criteria{c.text, c.cdNames, c.paths, c.files, c.notes, c.mode};
        EXPECT_EQ(Hits(criteria), c.expected) << "text " << c.text << " mode " << c.mode;
    }
    // Only asterisks search for the empty text: anywhere, every directory and file matches by
    // its name (5 directories, 10 files).
    EXPECT_EQ(Hits(SearchCriteria{"**", false, false, true, false, kMatchAnywhere}).size(), 15u);
}

TEST_F(CatalogueSearchTest, WalksTheGivenCdsInOrderDirectoriesThenTheirFiles) {
    const SearchCriteria any{"", false, false, true, false, kMatchAnywhere};
    const std::vector<std::string> expected = {"dir:Photos", "file:\xC3\x84RGER.jpg", "file:\xC4rger.bmp",
                                               "file:\xE2\x84\xAA" "elvin.png", "file:zz_zephyr_long_name_2019.jpg",
                                               "dir:", "file:readme.txt"};
    const std::vector<std::string> hits = Hits(any, {beta_, 0, alpha_});
    ASSERT_GE(hits.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), hits.begin()));
}

TEST_F(CatalogueSearchTest, HandsEachHitOverAsTheResultRow) {
    std::vector<SearchHit> hits;
    SearchCatalogue(*data_, {alpha_}, SearchCriteria{"first", false, false, true, true, kMatchAnywhere},
                    [&](const SearchHit& h) { hits.push_back(h); });
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].kind, SearchHitKind::Cd);
    EXPECT_EQ(hits[0].name, "Alpha");
    EXPECT_EQ(hits[0].cdName, "Alpha label");  // a CD's row shows its label in the CD column
    EXPECT_EQ(hits[0].path, "/media/Alpha");
    EXPECT_EQ(hits[0].id, alpha_);
    EXPECT_EQ(hits[0].attributes, 0);
    EXPECT_EQ(hits[0].dateText, DateToText(45000.5));
    EXPECT_EQ(hits[1].kind, SearchHitKind::File);
    EXPECT_EQ(hits[1].name, "readme.txt");
    EXPECT_EQ(hits[1].cdName, "Alpha");
    EXPECT_EQ(hits[1].path, "");  // the root directory's full name
    EXPECT_EQ(hits[1].notes, "read me first");
    EXPECT_EQ(hits[1].size, 10);

    hits.clear();
    SearchCatalogue(*data_, {alpha_}, SearchCriteria{"old", false, false, true, false, kMatchWhole},
                    [&](const SearchHit& h) { hits.push_back(h); });
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].path, "Docs");  // a directory's row shows its path
    EXPECT_EQ(hits[0].attributes, 16);
    hits.clear();
    SearchCatalogue(*data_, {alpha_}, SearchCriteria{"xabc", false, false, true, false, kMatchWhole},
                    [&](const SearchHit& h) { hits.push_back(h); });
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].path, "Docs\\Old");  // a file's row shows its directory's full name
}

TEST_F(CatalogueSearchTest, StopsAtTheNextRecordAndStepsProgressPerCd) {
    struct Counter : ProgressSink {
        int max = -1, steps = 0, ends = 0;
        void Start(int m) override { max = m; }
        void Step() override { ++steps; }
        void Bounce() override {}
        void End() override { ++ends; }
    } progress;
    ProgressSink* previous = SetProgressSink(&progress);
    std::atomic<bool> stop{false};
    int seen = 0;
    const SearchOutcome outcome = SearchCatalogue(
        *data_, {alpha_, beta_}, SearchCriteria{"", false, false, true, false, kMatchAnywhere},
        [&](const SearchHit&) {
            ++seen;
            stop = true;
        },
        &stop);
    SetProgressSink(previous);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(outcome.hits, 1);
    EXPECT_EQ(progress.max, 2);
    EXPECT_EQ(progress.steps, 1);
    EXPECT_EQ(progress.ends, 1);

    const SearchOutcome all = SearchCatalogue(*data_, AllCdIds(*data_), SearchCriteria{"jpg"}, {});
    EXPECT_FALSE(all.stopped);
    EXPECT_EQ(all.hits, 2);
}

TEST(SearchInputs, EmptyTextAndNoFieldAreRefusedWithTheirMessages) {
    std::vector<std::string> shown;
    MessageSink previous = SetMessageSink([&](const std::string& text, const MsgButtonSet& set) {
        shown.push_back(text);
        EXPECT_EQ(set.buttons.size(), 1u);
        return vbOK;
    });
    EXPECT_FALSE(CheckSearchCriteria(SearchCriteria{""}));
    EXPECT_FALSE(CheckSearchCriteria(SearchCriteria{"x", false, false, false, false}));
    EXPECT_TRUE(CheckSearchCriteria(SearchCriteria{"***"}));  // checked before "*" is dropped
    EXPECT_TRUE(CheckSearchCriteria(SearchCriteria{"x", true, false, false, false}));
    SetMessageSink(std::move(previous));
    EXPECT_EQ(shown, (std::vector<std::string>{"Nothing Entered To Search For",
                                               "You have to select something to search for"}));
    EXPECT_EQ(SearchTextOf("*a**b*"), "ab");
}

// The matcher's word-at-a-time scan against a plain lower-case find, over needles and fields of
// every length around the 8-byte word, letters and other characters, any position.
TEST(TextMatcherScan, AgreesWithAPlainFindAtEveryPosition) {
    const std::string alphabet = "aAbB_9.zZ ";
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) % alphabet.size(); };
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        std::string field((next() * 7 + next()) % 30, ' '), needle(1 + next() % 4, ' ');
        for (char& c : field) c = alphabet[next()];
        for (char& c : needle) c = alphabet[next()];
        const std::string f = lower(field), n = lower(needle);
        ASSERT_EQ(TextMatcher(needle, kMatchAnywhere).Matches(field), f.find(n) != std::string::npos)
            << '"' << needle << "\" in \"" << field << '"';
        ASSERT_EQ(TextMatcher(needle, kMatchBeginning).Matches(field), f.rfind(n, 0) == 0);
        ASSERT_EQ(TextMatcher(needle, kMatchWhole).Matches(field), f == n);
    }
}

}  // namespace
