// Nothing is skipped in silence: a scan that cannot read a folder or a file says which, and a scan
// that would take the catalogue past its format's 2 GiB says so before writing past it and gives
// back what it appended.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "CatalogueCheck.h"
#include "ScanFixture.h"

using namespace karvio;
using namespace karvio::testing;

namespace {

class ScanGapsTest : public ScanTest {};

// Runs `work` as an ordinary user when the tests run as root (who reads every folder), else in
// this process; the exit status of `work`, 0 for success.
int AsOrdinaryUser(const std::function<int()>& work) {
    if (::geteuid() != 0) return work();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(90);
        ::_exit(work());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

}  // namespace

TEST_F(ScanGapsTest, FoldersAndFilesThatCannotBeReadAreNamedWithTheirReason) {
    MakeDir(Path("open"));
    MakeFile(Path("open/a.txt"), 5);
    MakeDir(Path("locked"));
    MakeFile(Path("locked/hidden.txt"), 7);
    MakeDir(Path("listable"));
    MakeFile(Path("listable/unexaminable.txt"), 9);
    // The folders the scan and its catalogue live in are open to the ordinary user.
    std::filesystem::permissions(dir_.path(), std::filesystem::perms::all);
    std::filesystem::permissions(dataDir_.path(), std::filesystem::perms::all);
    std::filesystem::permissions(Path("open"), std::filesystem::perms::all);
    ::chmod(Path("locked").c_str(), 0);
    // Listed but not searchable: its file's name is known, nothing else.
    ::chmod(Path("listable").c_str(), 0444);

    const int status = AsOrdinaryUser([&] {
        ScanEngine engine;
        if (Scan(Root() + "/", 0, nullptr, &engine) <= 0) return 1;
        if (engine.SkippedCount() != 2 || engine.Skipped().size() != 2) return 2;
        if (engine.Skipped()[0].path != Root() + "/listable/unexaminable.txt") return 3;
        if (engine.Skipped()[1].path != Root() + "/locked") return 4;
        if (engine.Skipped()[1].reason != "Permission denied") return 5;
        // Catalogued as far as it could be read.
        if (engine.Totals().files != 2) return 6;
        return CheckCatalogue(Catalogue()).Clean() ? 0 : 7;
    });
    ::chmod(Path("locked").c_str(), 0755);
    ::chmod(Path("listable").c_str(), 0755);
    EXPECT_EQ(status, 0);
}

TEST_F(ScanGapsTest, AScanThatWouldPassTheFormatsLimitIsRefusedAndGivesBackWhatItAppended) {
    for (int i = 0; i < 3000; ++i) MakeFile(Path("file-with-a-long-name-to-fill-the-room-" + std::to_string(i)));
    { classData data(Catalogue()); }
    const auto fill = [&](int64_t length) {
        // Dead bytes up to just below the limit: the file stays sparse.
        ASSERT_EQ(::truncate(Catalogue().c_str(), length), 0);
    };
    const std::string refusal =
        "the catalogue would grow past 2 GiB, the limit of its format; compact it or start another catalogue";

    // Too full to begin: nothing at all is written.
    fill(kMaxCatalogueLength - 4096);
    EXPECT_EQ(Scan(Root() + "/"), 0);
    ASSERT_FALSE(messages_.empty());
    EXPECT_NE(messages_.back().find(refusal), std::string::npos) << messages_.back();
    EXPECT_EQ(std::filesystem::file_size(Catalogue()), static_cast<uintmax_t>(kMaxCatalogueLength - 4096));

    // Room to begin, not to end: the walk stops before the limit and its appends go.
    const int64_t start = kMaxCatalogueLength - (1 << 20) - 100 * 1000;
    fill(start);
    messages_.clear();
    ScanEngine engine;
    EXPECT_EQ(Scan(Root() + "/", 0, nullptr, &engine), 0);
    EXPECT_TRUE(engine.WasTooLarge());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_.back().find(refusal), std::string::npos) << messages_.back();
    EXPECT_EQ(std::filesystem::file_size(Catalogue()), static_cast<uintmax_t>(start));
    const CheckReport report = CheckCatalogue(Catalogue());
    EXPECT_TRUE(report.Clean());
    EXPECT_EQ(report.cds, 0);
}
