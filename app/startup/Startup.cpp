#include "startup/Startup.h"
#include "views/frmBrowseCD.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QIcon>
#include <cstdio>
#include <exception>

#include "Messages.h"
#include "PathServices.h"
#include "ProgramInfo.h"
#include "Progress.h"
#include "classData.h"
#include "compare/ListExport.h"
#include "compare/frmCompare.h"
#include "compare/frmDuplicates.h"
#include "compare/frmVerify.h"
#include "explorer/frmBrowse2.h"
#include "explorer/frmCategorySelect.h"
#include "mainwindow/CatalogueWatch.h"
#include "mainwindow/ToolbarIcons.h"
#include "mainwindow/frmMenu.h"
#include "msgbox/MessageService.h"
#include "quickfind/QuickFindBox.h"
#include "report/PreviewCommand.h"
#include "search/frmSearch.h"
#include "splash/frmSplash.h"
#include "startup/ProgramValues.h"
#include "startup/Settings.h"
#include "startup/ShellRegistration.h"
#include "startup/StartupArguments.h"
#include "startup/Translations.h"

namespace karvio {

namespace {

// The steps of start-up; a failing step's number is the error code shown.
enum StartupStep : int {
    kStepSplash = 2,
    kStepValues = 3,
    kStepHelp = 4,
    kStepDataFile = 5,
    kStepAssociate = 6,
    kStepViewStyle = 7,
    kStepMenuStart = 8,
};

}  // namespace

QString StartupErrorText(int code, const QString& source) {
    return QCoreApplication::translate("Startup",
                                       "An Error Has Occured !! Quitting !!\nError code : %1 %2")
        .arg(code)
        .arg(source);
}

void InstallProgramWindows(frmMenu& menu) {
    menu.SetViewStyleChecks(SettingTextToBool(GetSetting(settings::kViewModeExplorer), true));
    InstallReportAndMaintenance(menu);
    // Owned by the main window, whose MDI area takes them over when they are first shown.
    auto* explorer = new frmBrowse2(&menu);
    explorer->hide();
    menu.SetExplorerView(explorer);
    auto* cdPanel = new frmBrowseCD(&menu);
    cdPanel->hide();
    menu.SetCdPanelView(cdPanel);
    MainCommandTargets targets = menu.CommandTargets();
    targets.selectCategory = [&menu](int32_t categoryId) {
        int32_t chosen = -1;
        frmCategorySelect::SelectCategory(categoryId, chosen, &menu);
    };
    menu.SetCommandTargets(std::move(targets));
    QuickFindBox::Install(menu, frmSearch::Install(menu));
    frmDuplicates::Install(menu);
    frmCompare::Install(menu);
    frmVerify::Install(menu);
    InstallListExport(menu);
}

int RunKarvio(int argc, char** argv) {
    // --help and --version need no display: answered before Qt connects to one.
    QStringList raw;
    for (int i = 0; i < argc; ++i) raw << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<QString> answer = EarlyAnswer(raw)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? EXIT_SUCCESS : EXIT_FAILURE;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Karvio"));
    QApplication::setOrganizationName(QStringLiteral("Karvio"));
    QApplication::setApplicationVersion(QLatin1String(kVersionText));
    // The desktop matches the windows to the entry (and its icon) by this id.
    QGuiApplication::setDesktopFileName(QLatin1String(kDesktopId));
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    QApplication::setWindowIcon(ApplicationIcon());
    // Every window, the splash included, speaks the user's language.
    InstallTranslations();
    InstallMessageBox(nullptr);

    int step = kStepSplash;
    try {
        ShowSplash();

        step = kStepValues;
        SetProgramWideValues();

        step = kStepHelp;
        HelpFilePath = LocalizedResource(QStringLiteral("help/Karvio.html"));

        step = kStepDataFile;
        // A catalogue named on the command line that is not there is said, not swapped
        // silently for the default one (which would then be changed in its place).
        const StartupCatalogue named = CatalogueFromArguments(QApplication::arguments().mid(1));
        if (!named.error.isEmpty()) {
            CloseSplash();
            std::fprintf(stderr, "%s\n", named.error.toLocal8Bit().constData());
            if (named.exitStatus == 1) ShowMessage(named.error.toStdString(), vbOKOnly);
            return named.exitStatus;
        }
        DataFilePath = named.path.toStdString();
        {
            // The one write a start makes to a catalogue it only looks at: the time it was
            // opened, once per start (no window's reading writes it again).
            classData opened(GetDataFileName(), classData::ForReading{});
            if (opened.IsOpen()) opened.StampLastOpened();
        }

        step = kStepAssociate;
        // Like any write to the desktop's registrations, a failure here is not reported.
        Associate(QApplication::applicationFilePath(), QStringLiteral(".cd"),
                  QLatin1String(kCatalogueMimeType), QLatin1String(kCatalogueDescription),
                  UserDataHome(), SystemDataDirs(), true);

        step = kStepViewStyle;
        frmMenu menu;
        SetYieldHook([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
        InstallProgramWindows(menu);
        // Another program's compaction or removals void the ids the windows hold.
        CatalogueWatch watch;

        step = kStepMenuStart;
        menu.MenuStart();
        const int status = QApplication::exec();
        SetYieldHook({});
        return status;
    } catch (const std::exception& error) {
        CloseSplash();
        ShowMessage(StartupErrorText(step, QString::fromLocal8Bit(error.what())).toStdString(),
                    vbOKOnly);
    } catch (...) {
        CloseSplash();
        ShowMessage(StartupErrorText(step, QStringLiteral("Karvio")).toStdString(), vbOKOnly);
    }
    return EXIT_FAILURE;
}

}  // namespace karvio
