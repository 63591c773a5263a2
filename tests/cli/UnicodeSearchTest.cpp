// The three searches (the search window's walk, quick find's index and karvio-cli search) find
// the same entries on a table of names in several scripts, composed and decomposed, in UTF-8 and
// in Windows-1252, and those are the entries a reader expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "../support/SampleCatalogue.h"
#include "CatalogueSearch.h"
#include "CliRunner.h"
#include "QuickIndex.h"
#include "QuickQuery.h"

namespace karvio {
namespace {

using testing::AddSampleCd;
using testing::RunCli;
using testing::SampleDir;
using testing::SampleFile;
using testing::TempDir;

const std::vector<std::string> kNames = {
    "caf\xC3\xA9.txt",                  // café, composed
    "cafe\xCC\x81 noir.txt",            // café, decomposed
    "CAF\xC9.doc",                      // CAFÉ in Windows-1252
    "cafe.txt",
    "STRASSE.txt",
    "Stra\xC3\x9F" "e.txt",             // Straße
    "strasse-map.pdf",
    "Kelvin \xE2\x84\xAA.txt",          // the Kelvin sign
    "\xC4\xB0stanbul.jpg",              // İstanbul
    "\xEF\xAC\x81le.txt",               // the fi ligature
    "\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x9F\xCE\xA3.txt",  // ΣΟΦΟΣ
    "\xCF\x83\xCE\xBF\xCF\x86\xCE\xBF\xCF\x82.txt",  // σοφος, with a final sigma
    "\xC3\x86r\xC3\xB8sk\xC3\xB8" "bing.txt",        // Ærøskøbing
    "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4.txt",      // 한국어, composed
    "\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB\xE1\x84\x80\xE1\x85\xAE\xE1\x86\xA8.txt",  // 한국, jamo
    "M\xC3\x9CLLER.txt",                // MÜLLER
    "mu\xCC\x88ller.txt",               // müller, decomposed
    "m\xFC" "ller.txt",                 // müller in Windows-1252
};

struct Case {
    const char* needle;
    int mode;
    std::vector<int> expected;  // indexes into kNames
};

const std::vector<Case> kCases = {
    {"caf\xC3\xA9", kMatchAnywhere, {0, 1, 2}},
    {"CAFE\xCC\x81", kMatchAnywhere, {0, 1, 2}},        // decomposed needle
    {"cafe", kMatchAnywhere, {3}},                      // no é is an e
    {"caf\xC3\xA9.txt", kMatchWhole, {0}},
    {"strasse", kMatchAnywhere, {4, 5, 6}},
    {"STRA\xE1\xBA\x9E" "E", kMatchAnywhere, {4, 5, 6}},  // capital sharp s
    {"stra\xC3\x9F", kMatchBeginning, {4, 5, 6}},
    {"kelvin k", kMatchAnywhere, {7}},
    {"istanbul", kMatchAnywhere, {}},                   // İ folds to i with a dot above
    {"\xC4\xB0stanbul", kMatchAnywhere, {8}},
    {"file", kMatchAnywhere, {9}},
    {"\xCF\x83\xCE\xBF\xCF\x86\xCE\xBF\xCF\x83", kMatchAnywhere, {10, 11}},
    {"\xC3\xA6r\xC3\xB8", kMatchBeginning, {12}},
    {"\xED\x95\x9C\xEA\xB5\xAD", kMatchAnywhere, {13, 14}},  // 한국
    {"\xED\x95\x98", kMatchAnywhere, {}},                      // 하 is not the start of 한
    {"m\xC3\xBCller", kMatchBeginning, {15, 16, 17}},
    {"muller", kMatchAnywhere, {}},
    {"txt", kMatchAnywhere, {0, 1, 3, 4, 5, 7, 9, 10, 11, 12, 13, 14, 15, 16, 17}},
};

class UnicodeSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<SampleFile> files;
        for (const std::string& name : kNames) files.emplace_back(name, 100);
        classData data(path_);
        AddSampleCd(data, "Disc", {SampleDir("", "\\", files)});
        for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext())
            for (classDir* dir = &cd->GetDirFirst(); !cd->GetDirEof(); dir = &cd->GetDirNext())
                for (ClassFile* f = &dir->GetFileFirst(); !dir->GetFileEof(); f = &dir->GetFileNext())
                    ids_.push_back(f->GetFileId());
        ASSERT_EQ(ids_.size(), kNames.size());
    }

    std::set<int> Expected(const Case& c) const {
        std::set<int> ids;
        for (const int i : c.expected) ids.insert(ids_[static_cast<size_t>(i)]);
        return ids;
    }

    std::set<int> Walk(const Case& c) {
        SearchCriteria criteria;
        criteria.text = c.needle;
        criteria.mode = c.mode;
        criteria.searchPathNames = criteria.searchComments = false;
        std::set<int> ids;
        classData data(path_);
        SearchCatalogue(data, AllCdIds(data), criteria, [&](const SearchHit& hit) {
            if (hit.kind == SearchHitKind::File) ids.insert(hit.id);
        });
        return ids;
    }

    std::set<int> Quick(const QuickIndex& index, const Case& c) {
        std::set<int> ids;
        const QuickQuery query = ParseQuickQuery(QStringLiteral("kind:file \"%1\"").arg(QString::fromUtf8(c.needle)));
        for (const int32_t row : index.Find(query, static_cast<QuickMatchMode>(c.mode)).rows) ids.insert(index.Entry(row).id);
        return ids;
    }

    std::set<int> Cli(const Case& c) {
        const char* mode = c.mode == kMatchWhole ? "--whole" : c.mode == kMatchBeginning ? "--begin" : "--anywhere";
        const testing::CliResult r = RunCli(path_, {"search", c.needle, mode, "--files", "--json"});
        EXPECT_EQ(r.status, 0) << r.err;
        std::set<int> ids;
        for (const auto& hit : nlohmann::json::parse(r.out))
            if (hit["kind"] == "file") ids.insert(hit["id"].get<int>());
        return ids;
    }

    TempDir dir_;
    std::string path_ = dir_.File("unicode.cd");
    std::vector<int32_t> ids_;
};

TEST_F(UnicodeSearchTest, TheWindowQuickFindAndTheToolFindTheSameEntries) {
    QuickIndex index;
    ASSERT_TRUE(index.Build(path_));
    for (const Case& c : kCases) {
        const std::set<int> expected = Expected(c);
        EXPECT_EQ(Walk(c), expected) << "search walk: " << c.needle << " mode " << c.mode;
        EXPECT_EQ(Quick(index, c), expected) << "quick find: " << c.needle << " mode " << c.mode;
        EXPECT_EQ(Cli(c), expected) << "karvio-cli: " << c.needle << " mode " << c.mode;
    }
}

// The fold itself, by the bytes it gives: case, composition, expansion, the two encodings.
TEST(FoldText, FoldsCaseAndCompositionAlike) {
    EXPECT_EQ(FoldText("ABC xyz 09"), "abc xyz 09");
    EXPECT_EQ(FoldText("Stra\xC3\x9F" "e"), "strasse");
    EXPECT_EQ(FoldText("\xC3\x89"), "e\xCC\x81");               // É
    EXPECT_EQ(FoldText("\xC9"), "e\xCC\x81");                   // É in Windows-1252
    EXPECT_EQ(FoldText("\x80"), "\xE2\x82\xAC");               // € in Windows-1252
    EXPECT_EQ(FoldText("\xE2\x84\xAA"), "k");                   // Kelvin sign
    EXPECT_EQ(FoldText("\xED\x95\x9C"), "\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB");  // 한
    EXPECT_EQ(FoldText(std::string("a\0B", 3)), std::string("a\0b", 3));
    // Eight-byte runs and the bytes after them fold as one by one.
    EXPECT_EQ(FoldText("ABCDEFGHIJKLMNOPQRSTUVWXYZ@[`{"), "abcdefghijklmnopqrstuvwxyz@[`{");
    EXPECT_TRUE(IsMatchEnd("e\xCC\x81", 0) && !IsMatchEnd("e\xCC\x81", 1) && IsMatchEnd("e\xCC\x81", 3));
}

// Every character written in two bytes folds as Unicode's full case folding and canonical
// decomposition say (Qt's simple folding, with the few characters whose full folding differs).
TEST(FoldText, EveryTwoByteCharacterFoldsAsUnicodeSays) {
    const std::map<char32_t, std::string> fullFolds = {
        {0xDF, "ss"},
        {0x130, "i\xCC\x87"},
        {0x149, "\xCA\xBCn"},
        {0x1F0, "j\xCC\x8C"},
        {0x390, "\xCE\xB9\xCC\x88\xCC\x81"},
        {0x3B0, "\xCF\x85\xCC\x88\xCC\x81"},
        {0x587, "\xD5\xA5\xD6\x82"},
    };
    for (char32_t cp = 0x80; cp < 0x800; ++cp) {
        const QString c = QString::fromUcs4(&cp, 1);
        const std::string utf8 = c.toStdString();
        const auto full = fullFolds.find(cp);
        const std::string expected =
            full != fullFolds.end()
                ? full->second
                : c.normalized(QString::NormalizationForm_D).toCaseFolded().normalized(QString::NormalizationForm_D).toStdString();
        EXPECT_EQ(FoldText(utf8), expected) << "U+" << std::hex << static_cast<uint32_t>(cp);
        EXPECT_EQ(FoldText("x" + utf8 + "Y"), "x" + expected + "y") << "U+" << std::hex << static_cast<uint32_t>(cp);
    }
}

// The matcher against folding both sides and comparing, on random texts of ASCII, characters
// that fold to ASCII (ß, ﬁ, the Kelvin sign, ŉ, ǅ), accented letters composed and decomposed,
// lone combining marks, Hangul and Windows-1252 bytes: its shortcuts (the ASCII field, the
// two-byte folds, the scan of eight positions at a time) change no answer.
TEST(FoldText, TheMatcherAnswersAsTheFoldedTextsDo) {
    const std::vector<std::string> pieces = {
        "i", "N", "k", "s", "f", "e", "D", "z", "1", " ", ".", "in", "IN", "ss", "fi",
        "\xC3\x9F",          // ß
        "\xEF\xAC\x81",      // ﬁ
        "\xE2\x84\xAA",      // Kelvin sign
        "\xC5\x89",          // ŉ
        "\xC7\x85",          // ǅ
        "\xC3\xAD",          // í
        "\xC3\x89",          // É
        "\xCC\x81",          // combining acute
        "\xCD\x85",          // combining ypogegrammeni, which folds to a letter
        "\xC4\xB0",          // İ
        "\xED\x95\x9C",      // 한
        "\xE1\x85\xA1",      // a Hangul vowel
        "\xD0\x98",          // И
        "\xE1\xBA\x9A",      // ẚ
    };
    const std::vector<std::string> needles = {"in", "i", "n", "k", "s", "ss", "fi", "e", "nk", "dz", "a", "",
                                              "si", "\xC3\xAD" "n", "N1"};
    uint32_t seed = 777;
    auto next = [&](size_t n) { return seed = seed * 1103515245u + 12345u, (seed >> 16) % n; };
    for (int round = 0; round < 4000; ++round) {
        std::string field;
        for (size_t k = next(12); k > 0; --k) field += pieces[next(pieces.size())];
        if (next(10) == 0) field += "\xE9";  // not UTF-8: the whole field is Windows-1252
        for (const std::string& needle : needles) {
            for (const int mode : {kMatchWhole, kMatchBeginning, kMatchAnywhere}) {
                ASSERT_EQ(TextMatcher(needle, mode).Matches(field), FoldedMatches(FoldText(field), FoldText(needle), mode))
                    << '"' << needle << "\" in \"" << field << "\" mode " << mode;
            }
        }
    }
}

}  // namespace
}  // namespace karvio
