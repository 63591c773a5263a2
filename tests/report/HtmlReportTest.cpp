// The report page line by line: title, connectors with and without files, last children, notes
// lines, escaping; the tree it is drawn from; page names and images.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "DateText.h"
#include "Format.h"
#include "HtmlReport.h"
#include "ReportPages.h"
#include "ReportTree.h"

using namespace karvio;
using karvio::testing::AddSampleCd;
using karvio::testing::SampleDir;
using karvio::testing::TempDir;

namespace {

const std::string kOpen = "<table width=5000 height=16 border=0 cellpadding=0 cellspacing=0><tr height=16>";
const std::string kClose = "</font><BR></td></tr></table>";

std::string Cell(const std::string& image) {
    return "<td height=16 width=16><img width=16 height=16 align=absmiddle src='images/" + image + ".gif'></td>";
}
const std::string B = Cell("nodeBlank"), V = Cell("nodeVert"), VR = Cell("nodeVertRight"), TR = Cell("nodeTopRight"),
                  F = Cell("nodeFolder");

std::string Size(double bytes) {
    const std::string s = FormatSize(bytes);
    return "  [" + s.substr(s.find_first_not_of(' ')) + "]  ";
}
std::string Dir(const std::string& cells, const std::string& name, double size, const std::string& date = {}) {
    return kOpen + cells + F + "<td height=16><font size=1 face=arial color=#8F0000><B>" + name + Size(size) + date +
           "</B>" + kClose;
}
std::string File(const std::string& cells, const std::string& name, double size, const std::string& date = {}) {
    return kOpen + cells + "<td height=16><font size=1 face=arial color=#000000><B>" + name + Size(size) + date +
           "</B>" + kClose;
}
std::string Notes(const std::string& cells, const std::string& text) {
    return kOpen + cells + "<td height=16><font size=1 face=arial color=#008FFF>" + text + kClose;
}

class HtmlReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        data_ = std::make_unique<classData>(dir_.File("report.cd"));
        // Disc: root files r1, r2; A (notes, file a1) holding B (files b1, b2 with notes) and C
        // (empty); D with a file whose name would be markup.
        cd_ = AddSampleCd(*data_, "Disc",
                          {SampleDir{"", "\\", {{"r1", 1, ""}, {"r2", 2, "root\r\nnotes"}}, ""},
                           SampleDir{"A", "\\", {{"a1", 3, ""}}, "about A"},
                           SampleDir{"B", "A", {{"b1", 10, ""}, {"b2", 20, "b & b"}}, ""},
                           SampleDir{"C", "A", {}, "empty one"},
                           SampleDir{"D", "\\", {{"<script>x", 5, "<img src=x onerror=y>"}}, ""}},
                          0, "disc notes");
    }

    std::vector<std::string> Page(const ReportTree& tree, int start, const ReportOptions& options) {
        const std::string path = dir_.File("page.tmp");
        std::string error;
        EXPECT_TRUE(WriteHtmlReport(*data_, tree, start, options, path, &error)) << error;
        std::ifstream in(path, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            EXPECT_TRUE(!line.empty() && line.back() == '\r');  // CR LF line ends
            line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    double DirSize(const std::string& name) {
        classCd& cd = data_->GetCdGoto(cd_);
        for (classDir* d = &cd.GetDirFirst(); !cd.GetDirEof(); d = &cd.GetDirNext()) {
            if (d->GetDirName() == name) return d->GetDirSize();
        }
        return 0;
    }

    TempDir dir_;
    std::unique_ptr<classData> data_;
    int32_t cd_ = 0;
};

TEST_F(HtmlReportTest, CdWithFilesDrawsEverySubdirectoryAsMiddleAndTheLastFileAsCorner) {
    const ReportTree tree = BuildCdReportTree(*data_, cd_, false);
    const std::vector<std::string> lines = Page(tree, 0, ReportOptions{});
    const double total = data_->GetCdGoto(cd_).GetCdtotalSize();
    const std::vector<std::string> expected = {
        "<html>",
        "<body background=images/background.jpg>",
        // The title: bold, black, no connector; a CD's "</B>" is never written.
        kOpen + "<td height=16><font size=2 face=arial color=#000000><B>Disc" + Size(total) + kClose,
        Notes("", "disc notes"),
        // The CD lists files, so every subdirectory continues the line.
        Dir(VR, "A", DirSize("A")),
        Notes(V + V, "about A"),
        // A lists a file, so its last subdirectory is no corner either.
        Dir(V + VR, "B", DirSize("B")),
        File(V + V + VR, "b1", 10),
        File(V + V + TR, "b2", 20),
        Notes(V + V + B, "b &amp; b"),
        Dir(V + VR, "C", DirSize("C")),
        Notes(V + V + B, "empty one"),  // an empty directory shows its notes by the directory option
        File(V + TR, "a1", 3),
        Dir(VR, "D", DirSize("D")),
        File(V + TR, "&lt;script&gt;x", 5),
        Notes(V + B, "&lt;img src=x onerror=y&gt;"),
        // The root directory's files line up with the subdirectories.
        File(VR, "r1", 1),
        File(TR, "r2", 2),
        Notes(B, "root<BR>notes"),
        "</body>",
        "</html>",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(HtmlReportTest, WithoutFilesTheLastSubdirectoryEndsTheLine) {
    ReportOptions options;
    options.chkDirFiles = false;
    options.chkDirNotes = false;
    options.chkFileNotes = false;
    options.chkDirSize = false;
    const std::vector<std::string> lines = Page(BuildCdReportTree(*data_, cd_, false), 0, options);
    auto dir = [&](const std::string& cells, const std::string& name) {
        return kOpen + cells + F + "<td height=16><font size=1 face=arial color=#8F0000><B>" + name + "</B>" + kClose;
    };
    const std::vector<std::string> body(lines.begin() + 3, lines.end() - 2);
    EXPECT_EQ(body, (std::vector<std::string>{dir(VR, "A"), dir(V + VR, "B"), dir(V + TR, "C"), dir(TR, "D")}));
}

TEST_F(HtmlReportTest, DirectoryStartListsItsFilesInLineWithItsSubdirectories) {
    const ReportTree tree = BuildCdReportTree(*data_, cd_, false);
    ReportOptions options;
    options.chkDirDate = true;
    options.chkFileDates = true;
    int start = -1;
    for (int i = 0; i < tree.Size(); ++i) {
        if (tree.Node(i).caption == "A") start = i;
    }
    ASSERT_EQ(tree.Node(start).kind, ReportNodeKind::Directory);
    const std::vector<std::string> lines = Page(tree, start, options);
    const std::string dirDate = "  &lt;" + DateToText(0) + "&gt;  ";
    const std::string fileDate = "  &lt;" + DateToText(44000.25) + "&gt;  ";
    const std::vector<std::string> expected = {
        "<html>",
        "<body background=images/background.jpg>",
        kOpen + "<td height=16><font size=2 face=arial color=#000000><B>A" + Size(DirSize("A")) + dirDate + "</B>" + kClose,
        Notes("", "about A"),
        Dir(VR, "B", DirSize("B"), dirDate),
        File(V + VR, "b1", 10, fileDate),
        File(V + TR, "b2", 20, fileDate),
        Notes(V + B, "b &amp; b"),
        Dir(VR, "C", DirSize("C"), dirDate),
        Notes(V + B, "empty one"),
        File(TR, "a1", 3, fileDate),  // in the subdirectories' column, so the line runs on to it
        "</body>",
        "</html>",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(HtmlReportTest, FileNodesOfAViewTreeAreNotDrawnTwice) {
    const ReportTree withFiles = BuildCdReportTree(*data_, cd_, true);
    const ReportTree directories = BuildCdReportTree(*data_, cd_, false);
    EXPECT_EQ(withFiles.Size(), directories.Size() + 6);  // r1 r2 a1 b1 b2 <script>x
    EXPECT_EQ(Page(withFiles, 0, ReportOptions{}), Page(directories, 0, ReportOptions{}));
}

TEST_F(HtmlReportTest, NothingButCdsFoldersAndDirectoriesStartAPage) {
    const ReportTree tree = BuildCdReportTree(*data_, cd_, true);
    int file = -1;
    for (int i = 0; i < tree.Size(); ++i) {
        if (tree.Node(i).kind == ReportNodeKind::File) file = i;
    }
    std::string error;
    EXPECT_FALSE(WriteHtmlReport(*data_, tree, file, ReportOptions{}, dir_.File("x.tmp"), &error));
    EXPECT_FALSE(WriteHtmlReport(*data_, tree, 0, ReportOptions{}, dir_.File("no/such/dir.tmp"), &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos);
    // Stopped: false with no reason, and no page left behind.
    const std::atomic<bool> stop{true};
    error = "before";
    EXPECT_FALSE(WriteHtmlReport(*data_, tree, 0, ReportOptions{}, dir_.File("stopped.tmp"), &error, &stop));
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(dir_.File("stopped.tmp")));
}

TEST(ReportTreeBuild, DirectoriesHangBelowTheirPathAndStraysBelowTheCd) {
    TempDir dir;
    classData data(dir.File("tree.cd"));
    // A folder scan on Linux: the first directory's path names folders above the scan.
    const int32_t cd = AddSampleCd(data, "Folder",
                                   {SampleDir{"Photos", "home\\me", {{"p.jpg", 1, ""}}, ""},
                                    SampleDir{"2004", "home\\me\\Photos", {{"q.jpg", 1, ""}}, ""}});
    data.GetCdGoto(cd).setCdMediaType(3);
    data.GetCdGoto(cd).recordUpdate();
    const ReportTree tree = BuildCdReportTree(data, cd, true);
    ASSERT_EQ(tree.Size(), 5);
    EXPECT_EQ(tree.Node(0).kind, ReportNodeKind::Folder);
    EXPECT_EQ(tree.Node(0).children, (std::vector<int>{1}));
    EXPECT_EQ(tree.Node(1).caption, "Photos");
    EXPECT_EQ(tree.Node(1).children, (std::vector<int>{2, 3}));  // 2004, then p.jpg
    EXPECT_EQ(tree.Node(2).children, (std::vector<int>{4}));
    EXPECT_EQ(tree.Node(4).kind, ReportNodeKind::File);
    EXPECT_EQ(ReportNodeKindFromImage(2), ReportNodeKind::Cd);
    EXPECT_EQ(ReportNodeKindFromImage(6), ReportNodeKind::Other);
}

TEST(HtmlTextEscape, MarkupShowsAsTextAndOtherScriptsAsReferences) {
    const struct {
        std::string in;
        bool lineBreaks;
        std::string out;
    } cases[] = {
        {"<script>alert(1)</script>", false, "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"<img src=x onerror=alert(2)>", false, "&lt;img src=x onerror=alert(2)&gt;"},
        {"a & 'b' \"c\"", false, "a &amp; &#39;b&#39; &quot;c&quot;"},
        {"\xC3\x84rger", false, "&#196;rger"},   // UTF-8
        {"\xC4rger \x80", false, "&#196;rger &#8364;"},  // Windows-1252
        {"one\r\ntwo\nthree\rfour", true, "one<BR>two<BR>three<BR>four"},
        {"one\r\ntwo", false, "one two"},  // names stay on one line
        {std::string("nul\x01\x7F", 5), false, "nul&#xFFFD;&#xFFFD;"},
    };
    for (const auto& c : cases) EXPECT_EQ(HtmlText(c.in, c.lineBreaks), c.out) << c.in;
}

TEST(ReportPageNames, SmallestFreeCounterAndOnlyThoseAreDeleted) {
    TempDir dir;
    const std::string d = dir.path().string();
    EXPECT_EQ(NextReportPagePath(d), d + "/cd_000000.tmp");
    for (const char* name : {"cd_000000.tmp", "cd_000001.tmp", "keep.tmp", "cd_1.tmp", "cd_0000001.tmp", "cd_00000x.tmp"}) {
        std::ofstream(d + "/" + name) << "x";
    }
    EXPECT_EQ(NextReportPagePath(d), d + "/cd_000002.tmp");
    EXPECT_EQ(DeleteReportPages(d), 2);
    EXPECT_EQ(NextReportPagePath(d), d + "/cd_000000.tmp");
    for (const char* name : {"keep.tmp", "cd_1.tmp", "cd_0000001.tmp", "cd_00000x.tmp"}) {
        EXPECT_TRUE(std::filesystem::exists(d + "/" + name)) << name;
    }
    EXPECT_TRUE(IsReportPageName("cd_123456.tmp"));
    EXPECT_FALSE(IsReportPageName("cd_123456.html"));
}

TEST(ReportImagesBeside, EveryImageThePageNamesIsProvided) {
    TempDir dir;
    EXPECT_TRUE(ProvideReportImages(dir.path().string()).empty());
    for (const char* image : kReportImages) EXPECT_TRUE(std::filesystem::exists(dir.path() / image)) << image;
}

}  // namespace
