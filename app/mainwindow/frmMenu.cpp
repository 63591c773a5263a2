#include "mainwindow/frmMenu.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <climits>
#include <cmath>

#include "Messages.h"
#include "ProgramInfo.h"
#include "classData.h"
#include "controls/Twips.h"
#include "mainwindow/ToolbarIcons.h"
#include "mainwindow/WindowRect.h"
#include "msgbox/MessageService.h"
#include "msgbox/ctlMsgBox.h"
#include "splash/frmAbout.h"
#include "splash/frmSplash.h"
#include "startup/LaunchFile.h"
#include "startup/ProgramValues.h"
#include "startup/Settings.h"
#include "views/frmTip.h"

namespace karvio {

namespace {

frmMenu*& TheMainWindow() {
    static frmMenu* window = nullptr;
    return window;
}

constexpr int kDesignWidthTwips = 12000;
constexpr int kDesignHeightTwips = 8400;

}  // namespace

void SetMenuState(int mode) {
    if (frmMenu* window = frmMenu::Instance()) window->SetMenuState(mode);
}

bool CatalogueOpens() {
    classData data;
    const int16_t error = data.GetError();
    const std::string cause = error == kErrorNone ? std::string() : data.OpenFailureText(error);
    frmMenu* window = frmMenu::Instance();
    const bool unsaid = window ? window->SetCatalogueProblem(cause) : !cause.empty();
    if (unsaid) {
        // The splash would stand in front of the message.
        CloseSplash();
        ShowMessage(cause, vbOKOnly);
    }
    return cause.empty();
}

frmMenu* frmMenu::Instance() {
    return TheMainWindow();
}

frmMenu::frmMenu(QWidget* parent) : QMainWindow(parent), mdiArea_(new QMdiArea(this)) {
    setObjectName(QStringLiteral("frmMenu"));
    setWindowTitle(QStringLiteral("Karvio"));
    setWindowIcon(ApplicationIcon());
    mdiArea_->setObjectName(QStringLiteral("MDIForm"));
    setCentralWidget(mdiArea_);

    BuildMenus();
    BuildPopupMenus();
    BuildToolbar();
    BuildStatusBar();
    SetUpMessageBox();

    setMinimumSize(TwipsToPixels(kMinWindowWidthTwips), TwipsToPixels(kMinWindowHeightTwips));
    resize(TwipsToPixels(kDesignWidthTwips), TwipsToPixels(kDesignHeightTwips));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - rect().center());
    }

    TheMainWindow() = this;
    previousSink_ = karvio::SetProgressSink(this);
    UpdateCommandStates();
}

frmMenu::~frmMenu() {
    if (TheMainWindow() == this) TheMainWindow() = nullptr;
    if (InstalledMessageBox() == ctlMsgBox1_) InstallMessageBox(nullptr);
    ProgressSink* current = karvio::SetProgressSink(previousSink_);
    if (current != this) karvio::SetProgressSink(current);
}

void frmMenu::SetUpMessageBox() {
    ctlMsgBox1_ = new ctlMsgBox(this);
    ctlMsgBox1_->setObjectName(QStringLiteral("ctlMsgBox1"));
    ctlMsgBox1_->setHostWindow(this);
    ctlMsgBox1_->setMsgFont(QFont(QStringLiteral("Arial"), 11));
    QFont buttonFont(QStringLiteral("Arial"), 12);
    buttonFont.setBold(true);
    ctlMsgBox1_->setBtnFont(buttonFont);
    ctlMsgBox1_->setMsgColor(QColor(0, 0, 143));
    picture1_ = QPixmap(QString::fromStdString(FindResource("images/msgback.png")));
    ctlMsgBox1_->setBackImage(picture1_);
    InstallMessageBox(ctlMsgBox1_);
}

void frmMenu::UpdateCommandStates() {
    for (auto it = commands_.begin(); it != commands_.end(); ++it) {
        const Command& command = it.value();
        const bool available = !command.available || command.available();
        it.key()->setEnabled(available && command.wanted.value_or(true));
    }
}

bool frmMenu::SetCatalogueProblem(const std::string& cause) {
    if (cause == catalogueProblem_) return false;
    catalogueProblem_ = cause;
    SetMenuState(cause.empty() ? kModeCdShown : kModeBusy);
    return !cause.empty();
}

void frmMenu::SetMenuState(int mode) {
    if (!catalogueProblem_.empty()) mode = kModeBusy;
    const MenuStateRow row = MenuStateFor(mode);
    for (int i = 0; i < kMenuStateItemCount; ++i) {
        if (!row[i] || !stateItems_[i]) continue;
        commands_[stateItems_[i]].wanted = *row[i];
    }
    UpdateCommandStates();
}

CatalogueView* frmMenu::CurrentView() const {
    if (IsExplorerStyle()) return explorer_;
    return cdPanel_;
}

void frmMenu::ShowChild(QWidget* window) {
    if (!window) return;
    QMdiSubWindow* sub = nullptr;
    for (QMdiSubWindow* candidate : mdiArea_->subWindowList()) {
        if (candidate->widget() == window) sub = candidate;
    }
    const bool added = !sub;
    if (added) sub = mdiArea_->addSubWindow(window);
    const bool view = (explorer_ && window == explorer_->ViewWindow()) ||
                      (cdPanel_ && window == cdPanel_->ViewWindow());
    window->show();
    if (added && view) {
        // A catalogue view fills the main window, as a file manager's does.
        sub->showMaximized();
    } else if (added) {
        // Three quarters of the area, or what the window asks for, but never more than the area.
        const QSize room = mdiArea_->viewport()->size();
        sub->resize(
            std::min(room.width(), std::max(sub->sizeHint().width(), room.width() * 3 / 4)),
            std::min(room.height(), std::max(sub->sizeHint().height(), room.height() * 3 / 4)));
        sub->show();
    } else {
        sub->show();
    }
    mdiArea_->setActiveSubWindow(sub);
    sub->raise();
}

void frmMenu::SetExplorerView(ExplorerView* view) {
    explorer_ = view;
    UpdateCommandStates();
}

void frmMenu::SetCdPanelView(CdPanelView* view) {
    cdPanel_ = view;
    UpdateCommandStates();
}

void frmMenu::SetSearchWindow(QWidget* window) {
    searchWindow_ = window;
    UpdateCommandStates();
}

void frmMenu::SetDuplicatesWindow(QWidget* window) {
    duplicatesWindow_ = window;
    UpdateCommandStates();
}

void frmMenu::SetReportPreview(ReportPreviewTarget* preview) {
    reportPreview_ = preview;
    UpdateCommandStates();
}

void frmMenu::SetCommandTargets(MainCommandTargets targets) {
    targets_ = std::move(targets);
    UpdateCommandStates();
}

bool frmMenu::IsExplorerStyle() const {
    return items_.value("mnuViewExplorer")->isChecked();
}

void frmMenu::SetViewStyleChecks(bool explorer) {
    items_.value("mnuViewExplorer")->setChecked(explorer);
    items_.value("mnuViewPanels")->setChecked(!explorer);
    UpdateCommandStates();
}

QAction* frmMenu::ToolbarButton(int index) const {
    return index >= 1 && index <= kToolbarButtonCount ? buttons_[index] : nullptr;
}

QAction* frmMenu::Item(const QString& name) const {
    return items_.value(name);
}

QMenu* frmMenu::PopupMenu(const QString& name) const {
    return popups_.value(name);
}

// ---- Commands

void frmMenu::mnuCdAdd_Click() {
    if (CatalogueView* view = CurrentView()) view->MainMenu_CdAdd();
}

void frmMenu::mnuCdEdit_Click() {
    if (CatalogueView* view = CurrentView()) view->MainMenu_CdEdit();
}

void frmMenu::mnuCdDelete_Click() {
    if (CatalogueView* view = CurrentView()) view->MainMenu_CdDelete();
}

void frmMenu::mnuCdRescan_Click() {
    if (CatalogueView* view = CurrentView()) view->MainMenu_CdRescan();
}

void frmMenu::mnuCdVerify_Click() {
    CatalogueView* view = CurrentView();
    if (!view || !targets_.verifyCd) return;
    const int32_t cdId = view->SelectedCdId();
    if (cdId <= 0) {
        ShowMessage(QT_TRANSLATE_NOOP("Messages", "Select the CD to verify first."), vbOKOnly);
        return;
    }
    targets_.verifyCd(cdId);
}

void frmMenu::mnuFileExport_Click() {
    if (targets_.exportList) targets_.exportList();
}

QWidget* frmMenu::ActiveChildWindow() const {
    QMdiSubWindow* sub = mdiArea_->activeSubWindow();
    return sub ? sub->widget() : nullptr;
}

void frmMenu::mnuCdProperties_Click() {
    if (CatalogueView* view = CurrentView()) view->PropertiesMainMenu();
}

void frmMenu::mnuCdSearch_Click() {
    if (!searchWindow_) return;
    ShowChild(searchWindow_);
    SetMenuState(kModeSearch);
}

void frmMenu::SetCompareWindow(QWidget* window) {
    compareWindow_ = window;
    UpdateCommandStates();
}

void frmMenu::mnuToolsCompare_Click() {
    if (!compareWindow_) return;
    ShowChild(compareWindow_);
}

void frmMenu::SendChildToBack(QWidget* window) {
    auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    if (!sub) {
        window->lower();
        return;
    }
    sub->lower();
    if (QMdiArea* area = sub->mdiArea()) {
        const QList<QMdiSubWindow*> stack = area->subWindowList(QMdiArea::StackingOrder);
        for (auto it = stack.crbegin(); it != stack.crend(); ++it) {
            if (*it != sub && (*it)->isVisible()) {
                area->setActiveSubWindow(*it);
                break;
            }
        }
    }
}

void frmMenu::mnuToolsDuplicates_Click() {
    if (!duplicatesWindow_) return;
    ShowChild(duplicatesWindow_);
}

void frmMenu::mnuCDShowList_Click() {
    if (IsExplorerStyle()) {
        if (!explorer_) return;
        ShowChild(explorer_->ViewWindow());
        SetMenuState(kModeCdShown);
    } else {
        if (!cdPanel_) return;
        ShowChild(cdPanel_->ViewWindow());
        SetMenuState(cdPanel_->HasTreeNodes() ? kModeCdShown : kModeNoCdShown);
    }
}

void frmMenu::mnuCdCategories_Click() {
    if (!targets_.selectCategory) return;
    targets_.selectCategory(0);
    if (IsExplorerStyle() && explorer_) explorer_->RefillListCds();
}

void frmMenu::mnuFilePreview_Click() {
    if (targets_.preview) targets_.preview();
}

void frmMenu::mnuFilePrint_Click() {
    if (reportPreview_) reportPreview_->Print();
}

void frmMenu::mnuFileSave_Click() {
    if (reportPreview_) reportPreview_->SaveAs();
}

void frmMenu::mnuHelpAbout_Click() {
    frmAbout about(this);
    about.exec();
}

void frmMenu::mnuHelpContents_Click() {
    if (HelpFilePath.isEmpty() || !QFile::exists(HelpFilePath) ||
        !QDesktopServices::openUrl(QUrl::fromLocalFile(HelpFilePath))) {
        ShowMessage(tr("The help page could not be opened:\r\n%1").arg(HelpFilePath).toStdString(),
                    vbOKOnly);
    }
}

void frmMenu::mnuViewExplorer_Click() {
    SetViewStyleChecks(true);
    mnuViewListSeparator_->setVisible(true);
    for (const char* name :
         {"mnuViewLargeIcons", "mnuViewSmallIcons", "mnuViewList", "mnuViewDetails"}) {
        items_.value(name)->setVisible(true);
    }
    if (explorer_) ShowChild(explorer_->ViewWindow());
}

void frmMenu::mnuViewPanels_Click() {
    SetViewStyleChecks(false);
    mnuViewListSeparator_->setVisible(false);
    for (const char* name :
         {"mnuViewLargeIcons", "mnuViewSmallIcons", "mnuViewList", "mnuViewDetails"}) {
        items_.value(name)->setVisible(false);
    }
    if (cdPanel_) ShowChild(cdPanel_->ViewWindow());
}

void frmMenu::SetListMode(ListViewMode mode) {
    const std::pair<const char*, const char*> twins[] = {
        {"mnuViewLargeIcons", "popExpListViewLargeIcons"},
        {"mnuViewSmallIcons", "popExpListViewSmallIcons"},
        {"mnuViewList", "popExpListViewList"},
        {"mnuViewDetails", "popExpListViewDetails"},
    };
    for (int i = 0; i < 4; ++i) {
        const bool chosen = i == static_cast<int>(mode);
        items_.value(twins[i].first)->setChecked(chosen);
        items_.value(twins[i].second)->setChecked(chosen);
    }
    if (IsExplorerStyle() && explorer_) explorer_->SwitchListViewModes(mode);
}

void frmMenu::OnToolbarButton(const QString& key) {
    if (key == "Add")
        mnuCdAdd_Click();
    else if (key == "Edit")
        mnuCdEdit_Click();
    else if (key == "Delete")
        mnuCdDelete_Click();
    else if (key == "Rescan")
        mnuCdRescan_Click();
    else if (key == "Preview")
        mnuFilePreview_Click();
    else if (key == "Print")
        mnuFilePrint_Click();
    else if (key == "SaveAs")
        mnuFileSave_Click();
    else if (key == "Search")
        mnuCdSearch_Click();
    else if (key == "Duplicates")
        mnuToolsDuplicates_Click();
    else if (key == "Categories") {
        // Unlike the menu item, the button does not refill the explorer's list afterwards.
        if (targets_.selectCategory) targets_.selectCategory(0);
    } else if (key == "Tree")
        mnuCDShowList_Click();
    // "Sync" and "Setup" have no action.
}

// ---- Debug menu

void frmMenu::DebugClassData() {
    classData data;
    if (!data.IsOpen()) {
        ShowMessage(data.OpenFailureText(data.GetError()), vbOKOnly);
        return;
    }
    const DebugDataResult result = data.DebugData();
    ShowMessage("Data file: " + data.GetOpenPath() +
                    "\r\nLive space: " + std::to_string(result.liveSpace) +
                    "\r\nSpace used (header): " + std::to_string(result.spaceUsed) +
                    "\r\nFile length: " + std::to_string(result.fileLength),
                vbOKOnly);
}

void frmMenu::DebugCdData() {
    classData data;
    if (!data.IsOpen()) return;
    data.GetCdFirst();
    const int32_t walked = data.GetCdGoto(0).DebugData();
    ShowMessage("CDs walked: " + std::to_string(walked) + " of " +
                    std::to_string(data.GetCdCount()) + " counted in the header",
                vbOKOnly);
}

void frmMenu::DebugDirData() {
    classData data;
    if (!data.IsOpen() || data.GetCdCount() == 0) return;
    classCd& cd = data.GetCdFirst();
    cd.GetDirFirst();
    ShowMessage("Directories of the first CD walked: " + std::to_string(cd.Dirs().DebugData()),
                vbOKOnly);
}

void frmMenu::DebugCatData() {
    classData data;
    if (!data.IsOpen()) return;
    data.GetCatFirst();
    const int32_t walked = data.GetCatGoto(0).DebugData();
    ShowMessage("Categories walked: " + std::to_string(walked) + " of " +
                    std::to_string(data.GetCatCount()) + " counted in the header",
                vbOKOnly);
}

// ---- Status bar

void frmMenu::ShowItemLocation(const ItemLocation& location) {
    place_ = location;
    const QString text = LocationStatusText(location);
    placeText_->setToolTip(text);
    // Heard as what it shows; what it is is its description.
    placeText_->setAccessibleName(text);
    FitItemLocation();
}

void frmMenu::FitItemLocation() {
    const int room =
        placeText_->contentsRect().width() - placeText_->indent() - 2 * placeText_->margin();
    placeText_->setText(LocationStatusText(place_, placeText_->fontMetrics(), room));
}

QString frmMenu::ItemLocationText() const {
    return LocationStatusText(place_);
}

bool frmMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == placeText_ &&
        (event->type() == QEvent::Resize || event->type() == QEvent::FontChange)) {
        FitItemLocation();
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Progress bar

void frmMenu::ShowProgressBar(bool show) {
    if (show) {
        progressPanel_->show();
        progressBar1_->setParent(progressPanel_);
        progressPanel_->layout()->addWidget(progressBar1_);
        progressBar1_->setValue(0);
        progressBar1_->show();
    } else {
        progressBar1_->hide();
        progressBar1_->setParent(toolbar1_);
        progressBar1_->hide();
        progressPanel_->hide();
    }
}

void frmMenu::ProgressStart(int count) {
    progressBar1_->setRange(0, 10);
    progressBar1_->setValue(0);
    ShowProgressBar(true);
    progressBar1_->setRange(0, count < 1 ? 1 : count);
    progressBar1_->setValue(0);
    bounceDirection_ = 1;
}

void frmMenu::ProgressStep() {
    if (progressBar1_->value() < progressBar1_->maximum()) {
        progressBar1_->setValue(progressBar1_->value() + 1);
    }
}

void frmMenu::ProgressBounce() {
    const int value = progressBar1_->value();
    if (bounceDirection_ > 0) {
        if (value >= progressBar1_->maximum()) {
            bounceDirection_ = -1;
        } else {
            progressBar1_->setValue(value + 1);
        }
    } else {
        if (value <= progressBar1_->minimum()) {
            bounceDirection_ = 1;
        } else {
            progressBar1_->setValue(value - 1);
        }
    }
}

void frmMenu::ProgressEnd() {
    ShowProgressBar(false);
}

// ---- Window life

void frmMenu::MenuStart() {
    const std::array<long long, 4> current = CurrentRectTwips();
    const SettingKey keys[4] = {settings::kLeft, settings::kTop, settings::kWidth,
                                settings::kHeight};
    TwipsRect saved;
    long long* fields[4] = {&saved.left, &saved.top, &saved.width, &saved.height};
    bool readable = true;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const QString text = GetSetting(keys[i].section, keys[i].key, QString::number(current[i]));
        const double value = text.trimmed().toDouble(&ok);
        if (!ok || value < INT32_MIN || value > INT32_MAX) {
            readable = false;
            break;
        }
        *fields[i] = static_cast<long long>(value);
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    QRect wanted = geometry();
    if (readable && screen) {
        const QSize size = screen->geometry().size();
        const auto screenWidth = static_cast<long long>(PixelsToTwips(size.width()));
        const auto screenHeight = static_cast<long long>(PixelsToTwips(size.height()));
        if (IsSavedRectUsable(saved, screenWidth, screenHeight)) {
            wanted = QRect(TwipsToPixels(saved.left), TwipsToPixels(saved.top),
                           TwipsToPixels(saved.width), TwipsToPixels(saved.height));
        }
    }
    // The design size, or one saved at another scale or on a larger screen, may not fit: the
    // window is made to, before the window system places it.
    if (screen) FitToScreen(wanted, FrameMargins());
    if (IsExplorerStyle()) {
        mnuViewExplorer_Click();
    } else {
        mnuViewPanels_Click();
    }
    show();
}

std::array<long long, 4> frmMenu::CurrentRectTwips() const {
    // A minimized or maximized window is remembered by its normal rectangle, so the next start
    // opens it where the user last had it.
    const QRect r = (isMinimized() || isMaximized()) ? normalGeometry() : geometry();
    return {std::llround(PixelsToTwips(r.x())), std::llround(PixelsToTwips(r.y())),
            std::llround(PixelsToTwips(r.width())), std::llround(PixelsToTwips(r.height()))};
}

void frmMenu::Exit() {
    if (exiting_) return;
    exiting_ = true;
    const std::array<long long, 4> rect = CurrentRectTwips();
    SaveSetting(settings::kViewModeExplorer, BoolToSettingText(IsExplorerStyle()));
    SaveSetting(settings::kTop, QString::number(rect[1]));
    SaveSetting(settings::kLeft, QString::number(rect[0]));
    SaveSetting(settings::kWidth, QString::number(rect[2]));
    SaveSetting(settings::kHeight, QString::number(rect[3]));
    ShowProgressBar(false);
    QCoreApplication::quit();
    close();
}

void frmMenu::closeEvent(QCloseEvent* event) {
    Exit();
    event->accept();
}

void frmMenu::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, &frmMenu::OnFirstActivation);
    }
}

QMargins frmMenu::FrameMargins() const {
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    if (frame != inner) {
        return QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
                        frame.right() - inner.right(), frame.bottom() - inner.bottom());
    }
    // Not shown yet: room for a window system's title bar and borders.
    const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this) + 2;
    const int title = std::max(style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this),
                               fontMetrics().height() * 2);
    return QMargins(border, title + border, border, border);
}

void frmMenu::FitToScreen(const QRect& wanted, const QMargins& frame) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect fitted = FitWindowRect(wanted, screen->availableGeometry(), frame);
    // A screen smaller than the window's least size gets a smaller least size.
    const QSize least(TwipsToPixels(kMinWindowWidthTwips), TwipsToPixels(kMinWindowHeightTwips));
    setMinimumSize(least.boundedTo(fitted.size()));
    setGeometry(fitted);
}

void frmMenu::OnFirstActivation() {
    // The window system has placed the window with its real frame now.
    if (const QScreen* screen = QGuiApplication::primaryScreen();
        screen && !isMaximized() && !isFullScreen()) {
        if (!screen->availableGeometry().contains(frameGeometry()))
            FitToScreen(geometry(), FrameMargins());
    }
    CloseSplash();
    frmTip::ShowTipOfTheDay(false, this);
    if (CatalogueView* view = CurrentView()) view->StartFocus();
}

}  // namespace karvio
