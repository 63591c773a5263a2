// The Preview command end to end on a fixture catalogue: the options dialog driven by its real
// widgets, the page in the preview window, the page file's life, print and save.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <memory>

#include "Messages.h"
#include "ProgramInfo.h"
#include "ReportPages.h"
#include "mainwindow/frmMenu.h"
#include "report/PreviewCommand.h"
#include "report/frmPreviewOptions.h"
#include "report/frmWebBrowser.h"
#include "startup/Settings.h"
#include "support/SampleCatalogue.h"
#include "support/TempDir.h"

namespace karvio {
namespace {

using testing::TempDir;

// A catalogue view that offers the tree of its CD, as both real views do.
struct FakeView : ExplorerView {
    QWidget window;
    std::optional<PreviewSource> source;
    int asked = 0;
    QWidget* ViewWindow() override { return &window; }
    void MainMenu_CdAdd() override {}
    void MainMenu_CdEdit() override {}
    void MainMenu_CdDelete() override {}
    void MainMenu_CdRescan() override {}
    void PropertiesMainMenu() override {}
    int32_t SelectedCdId() const override { return 0; }
    void StartFocus() override {}
    std::optional<PreviewSource> PreviewStart() override {
        ++asked;
        return source;
    }
    void RevealRecord(const RecordRef&) override {}
    void ReloadCatalogue() override {}
    void SwitchListViewModes(ListViewMode) override {}
    void RefillListCds() override {}
    void popMenuTreeLaunch() override {}
    void popMenuTreeAdd() override {}
    void popMenuTreeDelete() override {}
    void popMenuTreeRename() override {}
    void popMenuTreeProperties() override {}
    void popMenuListLaunch() override {}
    void popMenuListDelete() override {}
    void popMenuListRename() override {}
    void popMenuListProperties() override {}
};

// Answers the next modal dialog when it comes up.
void WhenDialog(std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, [answer] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        answer(dialog);
    });
}

class ReportPreview : public ::testing::Test {
protected:
    void SetUp() override {
        DataFilePath = dir.File("Karvio.cd");
        {
            classData data;
            ASSERT_TRUE(data.OpenFiles(DataFilePath));
            testing::BuildSampleCatalogue(data);
        }
        previousSink = SetMessageSink([this](const std::string& text, const MsgButtonSet& b) {
            messages.push_back(text);
            return b.DefaultValue();
        });
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(dir.File("cache")));
        view = new FakeView;
        menu.SetExplorerView(view);
        menu.SetViewStyleChecks(true);
        preview = InstallReportAndMaintenance(menu);
        menu.show();
        classData data;
        data.GetCdFirst();
        PreviewSource source;
        source.tree = BuildCdReportTree(data, data.GetCdGoto(0).GetCdId(), false);
        source.cdNode = 0;
        source.selectedNode = source.tree.FindDirectory(DocsId(data));
        view->source = source;
    }
    void TearDown() override {
        menu.SetExplorerView(nullptr);
        delete view;
        SetMessageSink(previousSink);
        DataFilePath.clear();
    }
    static int32_t DocsId(classData& data) {
        classCd& cd = data.GetCdFirst();
        for (cd.GetDirFirst(); !cd.GetDirEof(); cd.GetDirNext()) {
            if (cd.Dirs().GetDirName() == "Docs") return cd.Dirs().GetDirId();
        }
        return 0;
    }
    QString PreviewOnce(std::function<void(frmPreviewOptions*)> choose) {
        WhenDialog([choose](QWidget* w) {
            auto* dialog = qobject_cast<frmPreviewOptions*>(w);
            ASSERT_NE(dialog, nullptr);
            choose(dialog);
            QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        });
        menu.Item("mnuFilePreview")->trigger();
        WaitForPage();
        preview->FinishLoading();
        return preview->Browser()->toPlainText();
    }
    // The page is written on a worker: waits until it is shown (or given up).
    static void WaitForPage() {
        QElapsedTimer t;
        t.start();
        while (PreviewUnderWay() && t.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_FALSE(PreviewUnderWay());
    }

    TempDir dir;
    frmMenu menu;
    FakeView* view = nullptr;
    frmWebBrowser* preview = nullptr;
    std::vector<std::string> messages;
    MessageSink previousSink;
};

TEST_F(ReportPreview, OptionsFromEitherStartAndKeptInTheSettings) {
    // Start from the selected directory, files listed: only the directory's subtree.
    QString text = PreviewOnce([](frmPreviewOptions* d) {
        EXPECT_TRUE(d->StartFromSelected()->isEnabled());
        EXPECT_TRUE(d->StartFromSelected()->isChecked());
        d->CheckBox("chkDirFiles")->setChecked(true);
    });
    EXPECT_TRUE(text.contains("Docs"));
    EXPECT_TRUE(text.contains("manual.pdf"));
    EXPECT_FALSE(text.contains("readme.txt"));
    EXPECT_TRUE(preview->HasPage());
    EXPECT_TRUE(QFile::exists(preview->PageFile()));
    EXPECT_TRUE(preview->PageFile().startsWith(QString::fromStdString(dir.File("cache"))));

    // From the root without files; the unchecked box is remembered and disables the file options.
    text = PreviewOnce([](frmPreviewOptions* d) {
        d->StartFromRoot()->click();
        d->CheckBox("chkDirFiles")->setChecked(false);
        EXPECT_FALSE(d->CheckBox("chkFileSizes")->isEnabled());
    });
    EXPECT_TRUE(text.trimmed().startsWith("Alpha")) << text.left(80).toStdString();
    EXPECT_TRUE(text.contains("Old"));
    EXPECT_FALSE(text.contains("manual.pdf"));
    EXPECT_EQ(GetSetting(settings::kChkDirFiles), "0");
    EXPECT_FALSE(LoadReportOptions().chkDirFiles);

    // A CD selected: only "Start From Root" is offered.
    view->source->selectedNode = -1;
    PreviewOnce([](frmPreviewOptions* d) {
        EXPECT_FALSE(d->StartFromSelected()->isEnabled());
        EXPECT_TRUE(d->StartFromRoot()->isChecked());
    });
    EXPECT_TRUE(messages.empty());
}

TEST_F(ReportPreview, CancelRefusalAndAnUnwritableCacheWriteNoPage) {
    WhenDialog([](QWidget* w) { QTest::mouseClick(qobject_cast<frmPreviewOptions*>(w)->CancelButton(), Qt::LeftButton); });
    menu.Item("mnuFilePreview")->trigger();
    EXPECT_FALSE(preview->HasPage());

    const PreviewSource kept = *view->source;
    view->source.reset();  // the view refused (and said why itself)
    menu.Item("mnuFilePreview")->trigger();
    view->source = kept;
    EXPECT_FALSE(preview->HasPage());
    EXPECT_EQ(view->asked, 2);

    // The cache directory lies below a plain file, so it can never be made.
    testing::WriteAllBytes(dir.File("blocker"), {'x'});
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(dir.File("blocker") + "/cache"));
    view->source->selectedNode = -1;
    messages.clear();
    PreviewOnce([](frmPreviewOptions*) {});
    EXPECT_FALSE(preview->HasPage());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("cannot be written"), std::string::npos);
}

TEST_F(ReportPreview, PageLivesWhileThePreviewIsActiveAndThroughItsOwnDialogs) {
    PreviewOnce([](frmPreviewOptions*) {});
    const QString page = preview->PageFile();
    ASSERT_TRUE(QFile::exists(page));

    // Print with no default printer: the print dialog is asked (here: a PDF file), the page
    // file survives the dialog, and the PDF is written.
    preview->defaultPrinterName = [] { return QString(); };
    bool asked = false;
    const QString pdf = QString::fromStdString(dir.File("out.pdf"));
    preview->askPrinter = [&](QPrinter& printer) {
        asked = true;
        EXPECT_TRUE(QFile::exists(page));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    menu.Item("mnuFilePrint")->trigger();
    EXPECT_TRUE(asked);
    QElapsedTimer waited;
    waited.start();
    while (preview->IsPrinting() && waited.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(preview->IsPrinting());
    EXPECT_GT(QFileInfo(pdf).size(), 1000);

    // Stop, pressed as soon as the print run has begun, ends it between pages: nothing is said
    // and the program is as before.
    const QString stoppedPdf = QString::fromStdString(dir.File("stopped.pdf"));
    preview->askPrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(stoppedPdf);
        return true;
    };
    menu.Item("mnuFilePrint")->trigger();
    ASSERT_TRUE(preview->IsPrinting());
    EXPECT_TRUE(menu.StopButton()->isVisible());
    menu.StopButton()->click();
    waited.restart();
    while (preview->IsPrinting() && waited.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(preview->IsPrinting());
    EXPECT_FALSE(menu.StopButton()->isVisible());
    EXPECT_TRUE(messages.empty());

    // A cancelled print dialog prints nothing and says nothing.
    preview->askPrinter = [](QPrinter&) { return false; };
    menu.Item("mnuFilePrint")->trigger();
    EXPECT_TRUE(messages.empty());

    // Save as: the page and its images beside it under the page's own folder name.
    const QString saved = QString::fromStdString(dir.File("my report"));
    preview->askSaveName = [&](const QString&) {
        EXPECT_TRUE(QFile::exists(page));
        return saved;
    };
    menu.Item("mnuFileSave")->trigger();
    ASSERT_TRUE(QFile::exists(saved + ".htm"));
    QFile file(saved + ".htm");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray html = file.readAll();
    EXPECT_FALSE(html.contains("'images/"));
    EXPECT_TRUE(html.contains("src='my%20report_files/nodeFolder.gif'"));
    EXPECT_TRUE(html.contains("background=my%20report_files/background.jpg"));
    for (const char* image : kReportImages) {
        EXPECT_TRUE(QFile::exists(QString::fromStdString(dir.File("my report_files/")) +
                                  QFileInfo(QString::fromLatin1(image)).fileName()))
            << image;
    }
    // The saved page finds its images when shown again.
    frmWebBrowser again(nullptr);
    again.ShowHtml(saved + ".htm");
    again.FinishLoading();
    EXPECT_FALSE(again.Browser()->document()->resource(QTextDocument::ImageResource,
                                                       QUrl("my%20report_files/nodeFolder.gif")).isNull());
    again.DropPage();
    EXPECT_TRUE(QFile::exists(page)) << "showing another page must not touch this one";

    // Another child window activated: the page goes and the preview hides.
    QMdiSubWindow* other = menu.MdiArea()->addSubWindow(new QWidget);
    other->show();
    menu.MdiArea()->setActiveSubWindow(other);
    EXPECT_FALSE(QFile::exists(page));
    EXPECT_FALSE(preview->HasPage());
    // Print and save of a dropped page do nothing.
    menu.Item("mnuFilePrint")->trigger();
    menu.Item("mnuFileSave")->trigger();
    EXPECT_TRUE(messages.empty());
}

// The pages of a PDF file the program printed.
int PdfPages(const QString& pdf) {
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = file.readAll();
    return int(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page ") +
               bytes.count("/Type /Page/"));
}

TEST_F(ReportPreview, APageStillComingInPrintsWholeFromItsOwnDocument) {
    // A page of 1,200 entries: the preview shows its first lines and appends the rest later.
    PreviewOnce([](frmPreviewOptions* d) { d->CheckBox("chkDirFiles")->setChecked(true); });
    QFile shown(preview->PageFile());
    ASSERT_TRUE(shown.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = shown.readAll().split('\n');
    QByteArray entry;
    for (const QByteArray& line : lines) {
        if (line.contains("manual.pdf")) entry = line.trimmed();
    }
    ASSERT_FALSE(entry.isEmpty());
    QByteArray page = "<html>\r\n<body background=images/background.jpg>\r\n";
    for (int i = 0; i < 1200; ++i) page += entry + "\r\n";
    page += "</body>\r\n</html>\r\n";
    const QString big = QFileInfo(preview->PageFile()).absolutePath() + QStringLiteral("/big.htm");
    QFile out(big);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(page);
    out.close();

    auto printTo = [&](const QString& pdf) {
        preview->defaultPrinterName = [] { return QString(); };
        preview->askPrinter = [pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        menu.Item("mnuFilePrint")->trigger();
        QElapsedTimer waited;
        waited.start();
        while (preview->IsPrinting() && waited.elapsed() < 60000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        EXPECT_FALSE(preview->IsPrinting());
        return PdfPages(pdf);
    };
    ASSERT_TRUE(preview->ShowHtml(big));
    ASSERT_TRUE(preview->IsLoading());
    const int whilePartial = printTo(QString::fromStdString(dir.File("partial.pdf")));
    preview->FinishLoading();
    const int whole = printTo(QString::fromStdString(dir.File("whole.pdf")));
    // 1,200 rows of 16 pixels are more than 15 pages of any paper size.
    EXPECT_GT(whole, 15);
    EXPECT_EQ(whilePartial, whole);
    EXPECT_TRUE(messages.empty());

    // Stop pressed while the printing thread is still reading the page: nothing is printed.
    const QString stopped = QString::fromStdString(dir.File("stopped.pdf"));
    preview->askPrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(stopped);
        return true;
    };
    menu.Item("mnuFilePrint")->trigger();
    menu.StopButton()->click();
    QElapsedTimer waited;
    waited.start();
    while (preview->IsPrinting() && waited.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(preview->IsPrinting());
    EXPECT_LT(PdfPages(stopped), whole);
    EXPECT_TRUE(messages.empty());
}

// Pixels near the folder picture's yellow (#F6CF5A): the report's folders are drawn.
int FolderPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - 246) < 16 && std::abs(c.green() - 207) < 16 && std::abs(c.blue() - 90) < 24) ++count;
        }
    }
    return count;
}

TEST_F(ReportPreview, APrintoutShowsItsPicturesAndIsTitledByTheDisc) {
    // From the disc: its name; from the selected directory: the directory's.
    std::string cdName;
    {
        classData data;
        cdName = data.GetCdFirst().GetCdName();
    }
    PreviewOnce([](frmPreviewOptions* dialog) { dialog->StartFromRoot()->setChecked(true); });
    EXPECT_EQ(preview->Title().toStdString(), cdName);
    EXPECT_TRUE(preview->SubWindow()->windowTitle().endsWith(QString::fromStdString(cdName)));
    PreviewOnce([](frmPreviewOptions*) {});
    EXPECT_EQ(preview->Title(), "Docs");

    // Printing lays out a copy of the document: the copy must draw the pictures too.
    std::unique_ptr<QTextDocument> copy(preview->Browser()->document()->clone());
    QImage drawn(800, 400, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    {
        QPainter painter(&drawn);
        copy->drawContents(&painter, QRectF(0, 0, 800, 400));
    }
    EXPECT_GT(FolderPixels(drawn), 40);

    // To a PDF: titled by the disc, and with the pictures when it is rendered again.
    preview->defaultPrinterName = [] { return QString(); };
    const QString pdf = QString::fromStdString(dir.File("report.pdf"));
    preview->askPrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    menu.Item("mnuFilePrint")->trigger();
    QElapsedTimer waited;
    waited.start();
    while (preview->IsPrinting() && waited.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(preview->IsPrinting());
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QByteArray utf16Title("\xFE\xFF", 2);
    for (const QChar c : QStringLiteral("Docs")) utf16Title.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    EXPECT_TRUE(bytes.contains("/Title (" + utf16Title + ")")) << "the PDF is titled by the disc's name";
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    const QString png = QString::fromStdString(dir.File("report"));
    QProcess render;
    render.start(pdftoppm, {"-r", "96", "-f", "1", "-l", "1", "-png", "-singlefile", pdf, png});
    ASSERT_TRUE(render.waitForFinished(30000));
    ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    EXPECT_GT(FolderPixels(QImage(png + ".png")), 40) << "the printed page shows its folder pictures";
}

TEST(ReportPageSave, AnUnwritableTargetIsReportedAndNothingHalfWritten) {
    TempDir dir;
    testing::WriteAllBytes(dir.File("blocker"), {'x'});
    QString error;
    EXPECT_FALSE(SaveReportPage("<html>", QString::fromStdString(dir.path().string()),
                                QString::fromStdString(dir.File("blocker") + "/page.htm"), &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace karvio
