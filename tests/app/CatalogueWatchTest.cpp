#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <filesystem>

#include "ProgramInfo.h"
#include "classData.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/CatalogueWatch.h"
#include "startup/ProgramValues.h"
#include "support/SampleCatalogue.h"

namespace karvio {
namespace {

namespace fs = std::filesystem;

// What another program does to the data file reaches every window: new CDs mark the views for
// a rebuild, a file swapped in under the name voids every id held.
TEST(CatalogueWatch, TellsTheWindowsOfAnotherProgramsChanges) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("Watched.cd").toStdString();
    DataFilePath = path;
    {
        classData data(path);
        testing::AddSampleCd(data, "First", {testing::SampleDir("", "\\")});
    }
    CatalogueWatch watch(nullptr, 60000);
    QSignalSpy replaced(&CatalogueEvents::Instance(), &CatalogueEvents::catalogueReplaced);
    QSignalSpy changed(&CatalogueEvents::Instance(), &CatalogueEvents::catalogueChanged);
    EXPECT_EQ(watch.Check(), CatalogueChange::None);

    {
        classData data(path);
        testing::AddSampleCd(data, "Second", {testing::SampleDir("", "\\")});
    }
    RefreshExplorer = RefreshCdView = false;
    EXPECT_EQ(watch.Check(), CatalogueChange::Changed);
    EXPECT_TRUE(RefreshExplorer && RefreshCdView);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(replaced.count(), 0);

    // A compaction renames a new file over the old one.
    fs::copy_file(path, path + ".new");
    fs::rename(path + ".new", path);
    EXPECT_EQ(watch.Check(), CatalogueChange::Replaced);
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_EQ(watch.Check(), CatalogueChange::None) << "a change is told once";
    DataFilePath.clear();
}

}  // namespace
}  // namespace karvio
