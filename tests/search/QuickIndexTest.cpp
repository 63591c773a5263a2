// The find box's index: what a query finds over a real catalogue (words, phrases, filters, modes,
// folding, notes), the order and first screen of an answer, the rows it hands the result list,
// damaged files, staleness after writes, and the worker thread that supersedes queries.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <future>
#include <functional>
#include <mutex>
#include <random>

#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "CatalogueSearch.h"
#include "QuickFinder.h"
#include "QuickIndex.h"

using namespace karvio;
using karvio::testing::AddSampleCd;
using karvio::testing::SampleDir;
using karvio::testing::SampleFile;

namespace {

class QuickIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.File("quick.cd");
        auto writer = std::make_unique<classData>(path_);
        classData& data = *writer;
        alpha_ = AddSampleCd(data, "Alpha",
                             {SampleDir{"", "\\",
                                        {{"readme.txt", 10, "read me first"},
                                         {"setup.exe", 2000},
                                         {"cafe\xCC\x81 menu.txt", 30},  // e + combining acute
                                         {"GR\xC3\x96SSE.doc", 40}}},
                              SampleDir{"Docs", "\\", {{"manual.pdf", 5000}, {"Holiday New York 2019.jpg", 20000000}},
                                        "the manuals"},
                              SampleDir{"Old", "Docs", {{"ABC", 1}, {"abc.txt", 2}, {"xabc", 3}}}},
                             0, "first disc");
        beta_ = AddSampleCd(data, "Beta",
                            {SampleDir{"Photos", "\\",
                                       {{"gr\xC3\xB6\xC3\x9F" "e.jpg", 1},  // größe.jpg
                                        {"\xC4rger.bmp", 1},                // Ärger, Windows-1252
                                        {"york new holiday.png", 1}}}});
        // Built once the writer has let go of the file, as its change is only then announced.
        writer.reset();
        ASSERT_TRUE(index_.Build(path_));
    }

    // Every hit of `text` as the names' original bytes, in answer order.
    std::vector<std::string> Find(const char* text, QuickMatchMode mode = QuickMatchMode::Anywhere) {
        const QuickResult r = index_.Find(ParseQuickQuery(QString::fromUtf8(text)), mode);
        EXPECT_EQ(r.count, static_cast<int64_t>(r.rows.size()));
        std::vector<std::string> names;
        for (int32_t row : r.rows) names.emplace_back(index_.RawName(row));
        return names;
    }

    karvio::testing::TempDir dir_;
    std::string path_;
    int32_t alpha_ = 0, beta_ = 0;
    QuickIndex index_;
};

using Names = std::vector<std::string>;

TEST_F(QuickIndexTest, QueriesFindWhatTheyDescribe) {
    struct Case {
        const char* query;
        QuickMatchMode mode;
        Names hits;
    };
    const Case cases[] = {
        {"readme", QuickMatchMode::Anywhere, {"readme.txt"}},
        {"READ", QuickMatchMode::Anywhere, {"readme.txt"}},
        // Words match in any order, each in the name or the notes.
        {"holiday york", QuickMatchMode::Anywhere, {"Holiday New York 2019.jpg", "york new holiday.png"}},
        {"\"new york\"", QuickMatchMode::Anywhere, {"Holiday New York 2019.jpg"}},
        {"manuals pdf", QuickMatchMode::Anywhere, {}},  // the notes are the directory's, not the file's
        {"first", QuickMatchMode::Anywhere, {"Alpha", "readme.txt"}},
        // Exact names first, then beginnings, then anywhere.
        {"abc", QuickMatchMode::Anywhere, {"ABC", "abc.txt", "xabc"}},
        {"abc", QuickMatchMode::Beginning, {"ABC", "abc.txt"}},
        {"abc", QuickMatchMode::WholeField, {"ABC"}},
        {"xabc", QuickMatchMode::Anywhere, {"xabc"}},
        // Filters narrow, alone or with words.
        {"ext:jpg", QuickMatchMode::Anywhere, {"Holiday New York 2019.jpg", "gr\xC3\xB6\xC3\x9F" "e.jpg"}},
        {"ext:jpg,png holiday", QuickMatchMode::Anywhere, {"Holiday New York 2019.jpg", "york new holiday.png"}},
        {"size:>10M", QuickMatchMode::Anywhere, {"Alpha", "", "Docs", "Holiday New York 2019.jpg"}},
        {"kind:cd", QuickMatchMode::Anywhere, {"Alpha", "Beta"}},
        {"kind:dir o", QuickMatchMode::Anywhere, {"Old", "Docs", "Photos"}},
        {"date:2020 ext:txt", QuickMatchMode::Anywhere, {"readme.txt", "cafe\xCC\x81 menu.txt", "abc.txt"}},
        {"date:..2019 ext:txt", QuickMatchMode::Anywhere, {}},
        {"nothing-like-this", QuickMatchMode::Anywhere, {}},
        {"size:>lots", QuickMatchMode::Anywhere, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Find(c.query, c.mode), c.hits) << c.query;
}

TEST_F(QuickIndexTest, LetterCaseAndCompositionAreIgnoredAndTheOriginalBytesKept) {
    // Stored decomposed, typed composed; the hit shows the bytes the scan read.
    EXPECT_EQ(Find("caf\xC3\xA9"), Names{"cafe\xCC\x81 menu.txt"});
    EXPECT_EQ(Find("\"CAFE\xCC\x81 MENU.TXT\"", QuickMatchMode::WholeField), Names{"cafe\xCC\x81 menu.txt"});
    EXPECT_EQ(Find("gr\xC3\xB6\xC3\x9F" "e"), (Names{"GR\xC3\x96SSE.doc", "gr\xC3\xB6\xC3\x9F" "e.jpg"}));
    EXPECT_EQ(Find("GR\xC3\x96SSE"), (Names{"GR\xC3\x96SSE.doc", "gr\xC3\xB6\xC3\x9F" "e.jpg"}));
    EXPECT_EQ(Find("\xC3\xA4rger"), Names{"\xC4rger.bmp"});  // Windows-1252 read as such
    EXPECT_TRUE(Find("cafe menu").empty());
}

TEST_F(QuickIndexTest, HitsAreTheRowsTheCatalogueSearchGives) {
    // Every record the search walk finds, the index gives with the same texts and ids; a scanned
    // folder's first directory stands at its place on the volume.
    {
        classData writer(path_);
        AddSampleCd(writer, "Gamma",
                    {SampleDir{"doc", "usr\\share", {{"x.txt", 1}}}, SampleDir{"bash", "usr\\share\\doc", {{"README", 2}}}});
    }
    ASSERT_TRUE(index_.Build(path_));
    classData data(path_, classData::ForReading{});
    SearchCriteria all;
    all.text = "";
    all.searchCdNames = true;
    std::vector<SearchHit> walked;
    for (const char* letter : {"a", "e", "o", "s"}) {
        all.text = letter;
        SearchCatalogue(data, AllCdIds(data), all, [&](const SearchHit& h) { walked.push_back(h); });
    }
    ASSERT_FALSE(walked.empty());
    for (const SearchHit& w : walked) {
        if (w.kind != SearchHitKind::File && w.kind != SearchHitKind::Directory && w.kind != SearchHitKind::Cd)
            continue;
        int32_t row = -1;
        for (int32_t i = 0; i < static_cast<int32_t>(index_.size()); ++i)
            if (index_.Entry(i).id == w.id) row = i;
        ASSERT_GE(row, 0) << w.name;
        const SearchHit h = index_.Hit(row);
        EXPECT_EQ(h.kind, w.kind) << w.name;
        EXPECT_EQ(h.name, w.name);
        EXPECT_EQ(h.cdName, w.cdName) << w.name;
        EXPECT_EQ(h.path, w.path) << w.name;
        EXPECT_EQ(h.notes, w.notes) << w.name;
        EXPECT_EQ(h.cdId, w.cdId) << w.name;
        EXPECT_EQ(h.dirId, w.dirId) << w.name;
        EXPECT_EQ(std::abs(h.size), std::abs(w.size)) << w.name;
        EXPECT_EQ(h.date, std::floor(w.date)) << w.name;
    }
}

TEST_F(QuickIndexTest, AWriteMakesTheIndexStaleAndARebuildFindsIt) {
    EXPECT_FALSE(index_.IsStale());
    EXPECT_TRUE(Find("shelf").empty());
    {
        classData data(path_);
        ClassFile& file = data.GetCdGoto(alpha_).GetDirFirst().GetFileFirst();
        file.SetFileNotes("copy on shelf 4", true);
    }
    EXPECT_TRUE(index_.IsStale());
    ASSERT_TRUE(index_.Build(path_));
    EXPECT_EQ(Find("shelf"), Names{"readme.txt"});
    // A CD removed from the list is gone from the rebuilt index.
    { classData(path_).GetCdDelete(beta_); }
    ASSERT_TRUE(index_.Build(path_));
    EXPECT_TRUE(Find("photos").empty());
}

TEST_F(QuickIndexTest, DamagedOrForeignFilesAreReadAsFarAsTheyHold) {
    std::string error;
    QuickIndex other;
    EXPECT_FALSE(other.Build(dir_.File("missing.cd"), &error));
    EXPECT_FALSE(error.empty());
    { std::ofstream(dir_.File("text.cd")) << std::string(40, 'x') << "just some text that is not a catalogue at all, no header here"; }
    EXPECT_FALSE(other.Build(dir_.File("text.cd"), &error));
    EXPECT_NE(error.find("Wrong Version"), std::string::npos) << error;

    // Cut the file at many places: never a crash, never a name outside the file.
    std::ifstream in(path_, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t cut = 82; cut < bytes.size(); cut += 23) {
        const std::string part = dir_.File("cut.cd");
        { std::ofstream(part, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(cut)); }
        ASSERT_TRUE(other.Build(part)) << cut;
        EXPECT_LE(other.size(), index_.size());
        other.Find(ParseQuickQuery("a"), QuickMatchMode::Anywhere);
    }
    // Random bytes flipped inside the records: the walk ends where a link goes wrong.
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::string damaged = bytes;
        for (int k = 0; k < 8; ++k) damaged[82 + rng() % (damaged.size() - 82)] = static_cast<char>(rng());
        const std::string part = dir_.File("flip.cd");
        { std::ofstream(part, std::ios::binary | std::ios::trunc).write(damaged.data(), static_cast<std::streamsize>(damaged.size())); }
        ASSERT_TRUE(other.Build(part));
        const QuickResult r = other.Find(ParseQuickQuery("e"), QuickMatchMode::Anywhere);
        for (int32_t row : r.rows) (void)other.Hit(row);
    }
}

// A catalogue whose names fill more than one scan chunk of the arena, checked against a plain
// per-name comparison: hits across chunk ends, notes-only hits and the first screen.
TEST(QuickIndexScale, AgreesWithComparingEveryNameAndStreamsTheFirstScreen) {
    karvio::testing::TempDir dir;
    const std::string path = dir.File("big.cd");
    std::mt19937 rng(11);
    const char* words[] = {"alpha", "Beta", "gamma", "delta", "Zephyr", "omega", "caf\xC3\xA9", "x"};
    std::vector<std::string> names;
    {
        classData data(path);
        std::vector<SampleDir> dirs;
        for (int d = 0; d < 40; ++d) {
            std::vector<SampleFile> files;
            for (int f = 0; f < 2500; ++f) {
                std::string name = std::string(words[rng() % 8]) + "_" + std::to_string(rng() % 100000) + words[rng() % 8];
                names.push_back(name);
                files.emplace_back(name, 1, rng() % 50 == 0 ? "zephyr in the notes" : "");
            }
            dirs.emplace_back("dir" + std::to_string(d), "\\", files);
        }
        AddSampleCd(data, "Big", dirs);
    }
    QuickIndex index;
    ASSERT_TRUE(index.Build(path));
    ASSERT_GT(index.NameBytes(), size_t{1} << 20);
    for (const char* text : {"zephyr", "x", "caf\xC3\xA9", "a_1", "omega_99", "_12345"}) {
        const QuickQuery q = ParseQuickQuery(QString::fromUtf8(text));
        int64_t expected = 0;
        for (int32_t i = 0; i < static_cast<int32_t>(index.size()); ++i) {
            const QString name = QuickFold(QuickDecodeName(QByteArray(index.RawName(i).data(),
                                                                      static_cast<qsizetype>(index.RawName(i).size()))));
            const QString notes = QuickFold(QString::fromStdString(std::string(index.RawNotes(i))));
            if (q.MatchesName(name, QuickMatchMode::Anywhere) || q.MatchesName(notes, QuickMatchMode::Anywhere))
                ++expected;
        }
        std::vector<int32_t> screen;
        const QuickResult r = index.Find(q, QuickMatchMode::Anywhere, 100,
                                         [&](const std::vector<int32_t>& rows) { screen = rows; });
        EXPECT_EQ(r.count, expected) << text;
        EXPECT_EQ(screen.size(), std::min<size_t>(100, static_cast<size_t>(expected))) << text;
        EXPECT_EQ(std::set<int32_t>(r.rows.begin(), r.rows.end()).size(), r.rows.size()) << text;
    }
    // A query already cancelled stops at once.
    std::atomic<bool> cancel{true};
    EXPECT_TRUE(index.Find(ParseQuickQuery("x"), QuickMatchMode::Anywhere, 0, {}, &cancel).cancelled);
    EXPECT_LE(index.EntryBytes() / index.size(), sizeof(QuickEntry) + 4);
}

// A finder's answers as they come, and a wait for the first one a test accepts.
class AnswerLog {
public:
    QuickFinder::Listener Listener() {
        return [this](QuickAnswer a) {
            std::lock_guard lock(m_);
            answers_.push_back(std::move(a));
            cv_.notify_all();
        };
    }
    QuickAnswer WaitFor(const std::function<bool(const QuickAnswer&)>& test) {
        std::unique_lock lock(m_);
        QuickAnswer found;
        cv_.wait_for(lock, std::chrono::seconds(10), [&] {
            for (const QuickAnswer& a : answers_)
                if (test(a)) return found = a, true;
            return false;
        });
        return found;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<QuickAnswer> answers_;
};

TEST_F(QuickIndexTest, TheFinderAnswersTheLatestQueryAndFollowsChanges) {
    AnswerLog log;
    QuickFinder finder(path_, log.Listener());
    std::function<void()> gate;
    bool gateOpen = true;
    finder.SetBuildGate([&] {
        if (!gateOpen) gate();
    });
    // The first complete answer to a query from `generation` on that `test` accepts.
    auto waitFor = [&](uint64_t generation, const std::function<bool(const QuickAnswer&)>& test) {
        return log.WaitFor([&](const QuickAnswer& a) { return a.generation >= generation && a.complete && test(a); });
    };
    auto finalOf = [&](uint64_t generation) {
        return waitFor(generation, [&](const QuickAnswer& a) { return a.generation == generation; });
    };
    finder.Prepare();
    // Typing fast: only the last query is sure to be answered, and answers never mix queries.
    finder.Query("r", QuickMatchMode::Anywhere);
    finder.Query("re", QuickMatchMode::Anywhere);
    const uint64_t last = finder.Query("readme", QuickMatchMode::Anywhere);
    QuickAnswer a = finalOf(last);
    ASSERT_TRUE(a.complete);
    ASSERT_EQ(a.count, 1);
    EXPECT_EQ(a.index->RawName(a.rows[0]), "readme.txt");
    EXPECT_EQ(finder.Builds(), 1);

    // Another program adds a CD: the next query is answered at once from the index held, which
    // is built anew meanwhile (held back here until that answer is in); then the query is asked
    // again and finds the new CD.
    const auto held = finder.Index();
    std::promise<void> answered;
    std::shared_future<void> letBuild = answered.get_future().share();
    gateOpen = false;
    gate = [letBuild] { letBuild.wait(); };
    {
        classData data(path_);
        AddSampleCd(data, "Gamma", {SampleDir{"Tapes", "\\", {{"mixtape.ogg", 5}, {"readme.ogg", 1}}}});
    }
    const uint64_t typed = finder.Query("readme", QuickMatchMode::Anywhere);
    a = finalOf(typed);
    EXPECT_EQ(a.index, held);
    EXPECT_TRUE(a.reading);
    EXPECT_EQ(a.count, 1);
    answered.set_value();
    a = waitFor(typed + 1, [](const QuickAnswer& x) { return x.count == 2; });
    ASSERT_EQ(a.count, 2);
    EXPECT_NE(a.index, held);
    EXPECT_EQ(a.index->Hit(a.rows[1]).cdName, "Gamma");
    EXPECT_EQ(finder.Builds(), 2);

    // This program's own change: the CD holding the written record is read again, the others'
    // parts are shared, and nothing is built from the whole file.
    int32_t readmeId = 0;
    {
        classData data(path_);
        ClassFile& file = data.GetCdGoto(alpha_).GetDirFirst().GetFileFirst();
        readmeId = file.GetFileId();
        file.SetFileNotes("copy on shelf 4", true);
    }
    const auto before = finder.Index();
    finder.Update({readmeId});
    a = waitFor(0, [&](const QuickAnswer&) { return finder.Index() != before && !finder.Busy(); });
    a = finalOf(finder.Query("shelf", QuickMatchMode::Anywhere));
    ASSERT_EQ(a.count, 1);
    EXPECT_EQ(a.index->RawName(a.rows[0]), "readme.txt");
    EXPECT_EQ(finder.Builds(), 2);
    EXPECT_EQ(finder.Updates(), 1);

    const uint64_t bad = finder.Query("size:>lots", QuickMatchMode::Anywhere);
    EXPECT_FALSE(finalOf(bad).error.isEmpty());
}

// An update reads again only the CDs it must: the others' parts are the same objects.
TEST_F(QuickIndexTest, AnUpdateReadsOnlyTheChangedCds) {
    {
        classData data(path_);
        ClassFile& file = data.GetCdGoto(beta_).GetDirFirst().GetFileFirst();
        file.SetFileNotes("kept in the attic", true);
    }
    QuickIndex updated;
    ASSERT_TRUE(updated.Update(index_, {}));
    // Not told of the write: beta is kept as it was.
    EXPECT_TRUE(updated.Find(ParseQuickQuery("attic"), QuickMatchMode::Anywhere).rows.empty());
    int32_t fileId = 0;
    for (int32_t i = 0; i < static_cast<int32_t>(index_.size()); ++i)
        if (index_.Kind(i) == QuickKind::File && index_.Hit(i).cdId == beta_) fileId = index_.Entry(i).id, i = INT32_MAX - 1;
    ASSERT_TRUE(updated.Update(index_, {fileId}));
    ASSERT_EQ(updated.Find(ParseQuickQuery("attic"), QuickMatchMode::Anywhere).rows.size(), 1u);
    EXPECT_EQ(&updated.Entry(0), &index_.Entry(0));  // alpha's part is shared
    EXPECT_FALSE(updated.IsStale());
    // A CD removed and one added are seen without being told.
    {
        classData data(path_);
        data.GetCdDelete(alpha_);
        AddSampleCd(data, "Delta", {SampleDir{"Maps", "\\", {{"atlas.pdf", 5}}}});
    }
    QuickIndex again;
    ASSERT_TRUE(again.Update(updated, {}));
    EXPECT_TRUE(again.Find(ParseQuickQuery("readme"), QuickMatchMode::Anywhere).rows.empty());
    EXPECT_EQ(again.Find(ParseQuickQuery("atlas"), QuickMatchMode::Anywhere).rows.size(), 1u);
}

// Another program's change is read whole, yet every CD read the same keeps the part held (the two
// indexes share it), and the first reading of a file can be looked at CD by CD as it goes.
TEST_F(QuickIndexTest, AReadingAgainSharesWhatIsTheSameAndAFirstReadingShowsItsCds) {
    {
        classData data(path_);
        data.GetCdGoto(beta_).GetDirFirst().GetFileFirst().SetFileNotes("kept in the attic", true);
    }
    ASSERT_TRUE(index_.IsStale());
    QuickIndex again;
    ASSERT_TRUE(again.Rebuild(index_));
    EXPECT_FALSE(again.IsStale());
    ASSERT_EQ(again.Find(ParseQuickQuery("attic"), QuickMatchMode::Anywhere).rows.size(), 1u);
    EXPECT_EQ(&again.Entry(0), &index_.Entry(0));  // alpha's part is shared
    const int32_t betaFirst = static_cast<int32_t>(index_.size()) - 4;  // beta: the CD, a folder, three files
    ASSERT_EQ(index_.Hit(betaFirst).cdId, beta_);
    EXPECT_NE(&again.Entry(betaFirst), &index_.Entry(betaFirst));  // beta was read anew

    std::vector<std::shared_ptr<const QuickIndex>> soFar;
    QuickIndex built;
    ASSERT_TRUE(built.Build(path_, nullptr, nullptr, [&](const QuickIndex& read) { soFar.push_back(read.Snapshot()); }));
    ASSERT_EQ(soFar.size(), 2u);
    // After alpha only alpha's holiday photo; then beta's too, as the whole index finds them.
    const QuickQuery holiday = ParseQuickQuery("holiday");
    EXPECT_EQ(soFar[0]->Find(holiday, QuickMatchMode::Anywhere).rows.size(), 1u);
    EXPECT_EQ(soFar[1]->Find(holiday, QuickMatchMode::Anywhere).rows,
              built.Find(holiday, QuickMatchMode::Anywhere).rows);
    EXPECT_EQ(soFar[1]->Find(holiday, QuickMatchMode::Anywhere).rows.size(), 2u);
}

// A query typed while the file is read for the first time is answered from the CDs read so far,
// as an answer that is not complete, and then, under the same generation, from the whole index.
TEST_F(QuickIndexTest, TheFirstReadingAnswersFromWhatItHasReadSoFar) {
    AnswerLog log;
    QuickFinder finder(path_, log.Listener());
    std::promise<void> seen;
    std::shared_future<void> letRead = seen.get_future().share();
    std::atomic<int> calls{0};
    // The first call comes before the reading; the second once alpha has been read.
    finder.SetBuildGate([&] {
        if (++calls == 2) letRead.wait();
    });
    const uint64_t typed = finder.Query("holiday", QuickMatchMode::Anywhere);
    QuickAnswer a = log.WaitFor([](const QuickAnswer& x) { return x.count > 0; });
    EXPECT_EQ(a.generation, typed);
    EXPECT_FALSE(a.complete);
    EXPECT_FALSE(a.reading);  // not an older index's answer
    ASSERT_EQ(a.count, 1);
    EXPECT_EQ(a.index->RawName(a.rows[0]), "Holiday New York 2019.jpg");
    EXPECT_EQ(finder.Index(), nullptr);
    seen.set_value();
    a = log.WaitFor([](const QuickAnswer& x) { return x.complete; });
    EXPECT_EQ(a.generation, typed);
    EXPECT_EQ(a.count, 2);
    EXPECT_EQ(a.index, finder.Index());
}

}  // namespace
