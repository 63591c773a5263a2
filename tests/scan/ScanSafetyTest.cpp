// A scan killed at any of its writes, or failing at one, leaves a catalogue that is clean and
// holds either no new CD or the complete one; a failed scan gives its space back.
#include <sys/resource.h>
#include <sys/wait.h>

#include <csignal>

#include "../support/KillingCatalogueFile.h"
#include "CatalogueCheck.h"
#include "ScanFixture.h"

using namespace karvio;
using namespace karvio::testing;

namespace {

class ScanSafetyTest : public ScanTest {
protected:
    void MakeTree(int dirs, int files) {
        for (int d = 0; d < dirs; ++d) {
            MakeDir(Path("d" + std::to_string(d)));
            for (int f = 0; f < files; ++f) MakeFile(Path("d" + std::to_string(d) + "/f" + std::to_string(f)), f);
        }
    }

    // Runs `work` in a child process; true when the child ended by SIGKILL.
    static bool KilledInChild(const std::function<void()>& work) {
        const pid_t child = ::fork();
        if (child == 0) {
            work();
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

    // The CDs of the catalogue as (name, files) pairs, in list order.
    std::vector<std::pair<std::string, int32_t>> Cds() {
        classData data;
        std::vector<int32_t> ids;
        for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) ids.push_back(cd->GetCdId());
        std::vector<std::pair<std::string, int32_t>> cds;
        for (int32_t id : ids) {
            const CdInfo info = ReadCdInfo(data, id);
            cds.emplace_back(info.CdName, info.CdNumOfFiles);
        }
        return cds;
    }
};

}  // namespace

TEST_F(ScanSafetyTest, AScanKilledAtAnyWriteLeavesNoNewCdOrACompleteOne) {
    MakeTree(6, 30);
    ASSERT_GT(Scan(Root() + "/"), 0);
    const std::vector<unsigned char> original = ReadAllBytes(Catalogue());
    const auto before = Cds();

    int total = 0;
    {
        ScopedKillingFiles counting(0, KillingCatalogueFile::Mode::Kill);
        ASSERT_GT(Scan(Root() + "/"), 0);
        total = counting.Writes();
    }
    ASSERT_GT(total, 200);
    const auto complete = Cds().back();

    int killed = 0;
    for (int at = 1; at <= total; at += (at < 20 || at > total - 40) ? 1 : 25) {
        WriteAllBytes(Catalogue(), original);
        const bool wasKilled = KilledInChild([&] {
            ScopedKillingFiles killing(at, KillingCatalogueFile::Mode::Kill);
            Scan(Root() + "/");
        });
        killed += wasKilled;
        SCOPED_TRACE("killed at write " + std::to_string(at) + " of " + std::to_string(total));
        const CheckReport report = CheckCatalogue(Catalogue());
        EXPECT_TRUE(report.Clean()) << (report.problems.empty() ? "" : report.problems.front());
        const auto after = Cds();
        ASSERT_GE(after.size(), before.size());
        EXPECT_EQ(std::vector(after.begin(), after.begin() + static_cast<long>(before.size())), before);
        if (after.size() > before.size()) {
            EXPECT_EQ(after.back(), complete);
        }
        // The next writer mends a header the kill left behind.
        {
            classData data;
            ASSERT_EQ(data.BeginWrite(), WriteAccess::Granted);
        }
        for (const std::string& note : CheckCatalogue(Catalogue()).notes) {
            EXPECT_EQ(note.find("interrupted"), std::string::npos) << note;
        }
    }
    EXPECT_GT(killed, 50);
}

TEST_F(ScanSafetyTest, AScanThatCannotWriteGivesBackItsSpaceAndKeepsEveryCd) {
    MakeTree(8, 200);
    ASSERT_GT(Scan(Root() + "/"), 0);
    const std::vector<unsigned char> original = ReadAllBytes(Catalogue());

    // The system refuses to let the file grow past a limit, as a full disk would.
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(original.size() + 20000), static_cast<rlim_t>(original.size() + 20000)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        SetFatalErrorHandler([](const std::string& text) {
            ::_exit(text.find("File too large") != std::string::npos ? 3 : 4);
        });
        SetFatalErrorShowsMessage(false);
        Scan(Root() + "/");
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3) << "the write error names the system's cause";
    EXPECT_EQ(ReadAllBytes(Catalogue()).size(), original.size());
    EXPECT_TRUE(CheckCatalogue(Catalogue()).Clean());
    EXPECT_EQ(Cds().size(), 1u);

    // A write the file layer refuses ends in the numbered message; the catalogue stays usable.
    {
        ScopedKillingFiles failing(40, KillingCatalogueFile::Mode::Fail);
        EXPECT_THROW(Scan(Root() + "/"), FatalErrorException);
    }
    EXPECT_TRUE(CheckCatalogue(Catalogue()).Clean());
    EXPECT_EQ(Cds().size(), 1u);
    EXPECT_GT(Scan(Root() + "/"), 0);
    EXPECT_EQ(Cds().size(), 2u);
}

TEST_F(ScanSafetyTest, ARescanKilledAtAnyWriteLeavesTheOldCdOrTheNewOneNeverBoth) {
    MakeTree(4, 20);
    const int32_t kept = Scan(Root() + "/");
    const int32_t old = Scan(Root() + "/");
    ASSERT_GT(old, kept);
    const std::vector<unsigned char> original = ReadAllBytes(Catalogue());

    int total = 0;
    {
        ScopedKillingFiles counting(0, KillingCatalogueFile::Mode::Kill);
        ASSERT_GT(Scan(Root() + "/", old), 0);
        total = counting.Writes();
    }
    int replaced = 0;
    for (int at = 1; at <= total; at += (at < 10 || at > total - 30) ? 1 : 17) {
        WriteAllBytes(Catalogue(), original);
        EXPECT_TRUE(KilledInChild([&] {
            ScopedKillingFiles killing(at, KillingCatalogueFile::Mode::Kill);
            Scan(Root() + "/", old);
        }));
        SCOPED_TRACE("killed at write " + std::to_string(at) + " of " + std::to_string(total));
        std::vector<int32_t> ids;
        {
            classData data;  // opening completes a rescan the kill left half done
            for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) ids.push_back(cd->GetCdId());
        }
        ASSERT_EQ(ids.size(), 2u);
        EXPECT_EQ(ids[0], kept);
        replaced += ids[1] != old;
        const CheckReport report = CheckCatalogue(Catalogue());
        EXPECT_TRUE(report.Clean()) << (report.problems.empty() ? "" : report.problems.front());
    }
    EXPECT_GT(replaced, 0);
}
