// The traditional view's tree of one large CD against an item-widget tree of the same CD, in the
// same run on the offscreen platform: the time from asking for the CD to its tree painted, and
// how much the process grows (heap in use from mallinfo2, resident size from /proc/self/statm).
// The CD has 100,000 directories and 1,000,000 files by default, appended through the store the
// way the scan does; the catalogue is kept in /tmp and reused by later runs. Prints figures;
// never fails on a time.
//
// Usage: cdpanel_bench [--dirs N] [--files N] [--data PATH]
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QStandardItemModel>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>

#include "BenchHelp.h"
#include "ProgramInfo.h"
#include "Progress.h"
#include "TransferRecords.h"
#include "classData.h"
#include "startup/ProgramValues.h"
#include "controls/ItemIcons.h"
#include "views/frmBrowseCD.h"

using namespace karvio;

namespace {

struct Options {
    int dirs = 100000;
    int files = 1000000;
    std::string data;
};

struct Memory {
    double heapMb = 0;      // bytes in use by malloc
    double residentMb = 0;  // resident set
};

Memory MemoryNow() {
    Memory m;
    const struct mallinfo2 info = mallinfo2();
    m.heapMb = static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    m.residentMb = static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
    return m;
}

// One CD: a root directory, ten top directories, a hundred below each and the rest of the
// directories spread below those, the files spread evenly, appended depth-first like a scan.
int32_t Generate(const std::string& path, const Options& o) {
    std::filesystem::remove(path);
    classData data(path);
    CdInfo cd;
    cd.CdName = "Big disc";
    cd.CdLabel = "BIG_DISC";
    cd.CdBasepath = "/media/big";
    cd.CdMediaType = 5;
    const int32_t cdId = AddCdInfo(data, cd);
    const int top = 10, middle = 100;
    const int leavesPerMiddle = std::max(1, (o.dirs - 1 - top - top * middle + top * middle - 1) / (top * middle));
    const int dirCount = 1 + top + top * middle + top * middle * leavesPerMiddle;
    const int filesPerDir = o.files / dirCount, extraFiles = o.files % dirCount;
    int dirsMade = 0;
    long filesMade = 0;
    auto addDir = [&](const std::string& name, const std::string& parentPath) {
        DirInfo dir;
        dir.DirName = name;
        dir.DirPath = parentPath;
        dir.DirAttr = 16;
        dir.DirSize = -1;
        const int32_t dirId = AddDirInfo(data, dir);
        data.GetCdGoto(cdId).GetDirGoto(dirId).GetFileAppendStart();
        const int count = filesPerDir + (dirsMade < extraFiles ? 1 : 0);
        for (int f = 0; f < count; ++f) {
            FileInfo file;
            file.FileName = "IMG_" + std::to_string(filesMade) + (f % 3 ? ".jpg" : ".mp3");
            file.FileSize = 1000.0 + f;
            file.FileDate = 44000.5;
            AddFileInfo(data, file);
            ++filesMade;
        }
        data.GetCdGoto(cdId).GetDirGoto(0).GetFileAppendFinish();
        data.GetCdGoto(cdId).GetDirGoto(dirId).updateDirSize(-1000.0 * count, 0, count, count);
        ++dirsMade;
        return name.empty() ? std::string("\\") : (parentPath == "\\" ? name : parentPath + "\\" + name);
    };
    const std::string root = addDir("", "\\");
    for (int t = 0; t < top; ++t) {
        const std::string a = addDir("Archive " + std::to_string(t), root);
        for (int m = 0; m < middle; ++m) {
            const std::string b = addDir("Album " + std::to_string(m), a);
            for (int l = 0; l < leavesPerMiddle; ++l) addDir("Session " + std::to_string(l), b);
        }
    }
    data.GetCdCommit(cdId);
    CdInfo done = ReadCdInfo(data, cdId);
    done.CdNumOfFiles = static_cast<int32_t>(filesMade);
    done.CdNumOfSubdirs = dirsMade - 1;
    UpdateCdInfo(data, done);
    return cdId;
}

// Drives a progress bar the way the main window's status bar does.
class BarSink : public ProgressSink {
public:
    explicit BarSink(QProgressBar* bar) : bar_(bar) {}
    void Start(int maximum) override {
        bar_->setRange(0, std::max(1, maximum));
        bar_->setValue(0);
        bar_->show();
    }
    void Step() override {
        if (bar_->value() < bar_->maximum()) bar_->setValue(bar_->value() + 1);
    }
    void Bounce() override {}
    void End() override { bar_->hide(); }

private:
    QProgressBar* bar_;
};

// The item-widget way: one QStandardItem per directory and file, each under the item whose key
// is its path, in two passes over the records.
void FillItems(QStandardItemModel& model, int32_t cdId) {
    classData data(GetDataFileName(), classData::ForReading{});
    classCd& cd = data.GetCdGoto(cdId);
    auto* root = new QStandardItem(ItemIcon(kIconCd), QString::fromStdString(cd.GetCdName()));
    root->setData(cdId, Qt::UserRole);
    model.appendRow(root);
    std::unordered_map<std::string, QStandardItem*> keys{{"\\", root}};
    auto itemOf = [&](const std::string& key) {
        const auto it = keys.find(key.empty() ? std::string("\\") : key);
        return it == keys.end() ? root : it->second;
    };
    const QIcon dirIcon = ItemIcon(kIconDirectory), fileIcon = ItemIcon(kIconFile);
    for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
        ProgressStep();
        const std::string name = dir->GetDirName();
        if (name.empty()) continue;
        auto* item = new QStandardItem(dirIcon, QString::fromStdString(name));
        item->setData(dir->GetDirId(), Qt::UserRole);
        itemOf(dir->GetDirPath())->appendRow(item);
        keys.emplace(dir->GetDirFullName(), item);
    }
    for (classDir* dir = &data.GetCdGoto(cdId).GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
        QStandardItem* parent = itemOf(dir->GetDirFullName());
        QList<QStandardItem*> files;
        for (ClassFile* file = &dir->GetFileFirst(); !dir->GetFileEof(); file = &dir->GetFileNext()) {
            auto* item = new QStandardItem(fileIcon, QString::fromStdString(file->GetFileName()));
            item->setData(file->GetFileId(), Qt::UserRole);
            files << item;
        }
        parent->appendRows(files);
    }
}

// Processor time of this process: on a machine shared with other work it varies less than the
// wall time.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void Print(const char* what, double seconds, double cpu, const Memory& before, const Memory& after) {
    std::printf("%-34s %7.3f s wall %7.3f s cpu   heap %+8.1f MB   resident %+8.1f MB\n", what, seconds, cpu,
                after.heapMb - before.heapMb, after.residentMb - before.residentMb);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    AnswerHelp(argc, argv,
               "usage: cdpanel_bench [--dirs N] [--files N] [--data PATH]\n"
               "The CD panel on one CD of N directories and files against QStandardItemModel, offscreen.\n");
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--dirs")) o.dirs = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--files")) o.files = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--data")) o.data = argv[i + 1];
    }
    if (o.data.empty())
        o.data = "/tmp/cdpanel-bench-" + std::to_string(o.dirs) + "-" + std::to_string(o.files) + ".cd";
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DataFilePath = o.data;

    int32_t cdId = 0;
    if (std::filesystem::exists(o.data)) {
        classData data(o.data, classData::ForReading{});
        cdId = data.GetCdFirst().GetCdId();
    }
    if (cdId == 0) {
        std::printf("generating %s ...\n", o.data.c_str());
        std::fflush(stdout);
        QElapsedTimer t;
        t.start();
        cdId = Generate(o.data, o);
        std::printf("generated in %.1f s\n", t.elapsed() / 1000.0);
    }
    {
        const CdInfo info = GetCdInfoById(cdId);
        std::printf("CD \"%s\": %d directories, %d files\n", info.CdName.c_str(), info.CdNumOfSubdirs + 1,
                    info.CdNumOfFiles);
    }

    QProgressBar bar;
    bar.resize(300, 20);
    BarSink sink(&bar);
    SetProgressSink(&sink);

    // Karvio's view: ShowCd, then the tree painted.
    double karvioSeconds = 0, karvioCpu = 0;
    {
        // Shown without its start-up fill, so the first ShowCd is the one measured.
        RefreshCdView = false;
        frmBrowseCD view;
        view.resize(1000, 700);
        view.show();
        QApplication::processEvents();
        const Memory before = MemoryNow();
        QElapsedTimer t;
        t.start();
        const double cpuStart = CpuSeconds();
        view.ShowCd(cdId);
        view.Tree()->viewport()->repaint();
        karvioSeconds = t.nsecsElapsed() / 1e9;
        const Memory after = MemoryNow();
        karvioCpu = CpuSeconds() - cpuStart;
        Print("Karvio CD panel (compact model)", karvioSeconds, karvioCpu, before, after);
        std::printf("  %d directory nodes, %d file nodes read (the root's)\n",
                    view.TreeModel()->DirectoryNodeCount(), view.TreeModel()->LoadedFileCount());
        // Opening the largest top directory's first child reads its files on demand.
        QElapsedTimer open;
        open.start();
        const QModelIndex top = view.TreeModel()->index(0, 0, view.TreeModel()->index(0, 0));
        const QModelIndex first = view.TreeModel()->index(0, 0, top);
        view.Tree()->expand(top);
        view.Tree()->expand(first);
        view.Tree()->viewport()->repaint();
        std::printf("  opening two directories: %.4f s\n", open.nsecsElapsed() / 1e9);
        QElapsedTimer again;
        again.start();
        view.ShowCd(cdId);
        view.Tree()->viewport()->repaint();
        std::printf("  the same CD shown again: %.3f s\n", again.nsecsElapsed() / 1e9);
        const Memory shown = MemoryNow();
        view.TreeModel()->Clear();
        const Memory cleared = MemoryNow();
        std::printf("  heap the shown tree holds (shown minus cleared): %.1f MB\n", shown.heapMb - cleared.heapMb);
    }

    // The baseline: an item model of the same tree, every node an item, in a tree view.
    {
        QTreeView tree;
        tree.setHeaderHidden(true);
        tree.setUniformRowHeights(true);
        tree.resize(650, 700);
        tree.show();
        QApplication::processEvents();
        const Memory before = MemoryNow();
        QElapsedTimer t;
        t.start();
        const double cpuStart = CpuSeconds();
        auto* model = new QStandardItemModel(&tree);
        ProgressStart(GetCdInfoById(cdId).CdNumOfSubdirs + 1);
        FillItems(*model, cdId);
        ProgressEnd();
        tree.setModel(model);
        tree.expand(model->index(0, 0));
        tree.setCurrentIndex(model->index(0, 0));
        tree.viewport()->repaint();
        const double seconds = t.nsecsElapsed() / 1e9;
        const Memory after = MemoryNow();
        const double cpu = CpuSeconds() - cpuStart;
        Print("baseline: QStandardItemModel tree", seconds, cpu, before, after);
        std::printf("ratio: the compact model takes %.1f%% of the baseline's wall time, %.1f%% of its cpu time\n",
                    100.0 * karvioSeconds / seconds, 100.0 * karvioCpu / cpu);
    }
    SetProgressSink(nullptr);
    return 0;
}
