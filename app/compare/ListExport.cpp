#include "compare/ListExport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>

#include "CatalogueListing.h"
#include "CatalogueSearch.h"
#include "CatalogueText.h"
#include "ListExports.h"
#include "Messages.h"
#include "ReplacingFile.h"
#include "classData.h"
#include "mainwindow/MainWindowTargets.h"
#include "mainwindow/frmMenu.h"

namespace karvio {

namespace {

QString SystemChooser(QWidget* owner, const QString& proposal, bool& csv) {
    const QString csvFilter = QCoreApplication::translate("ListExport", "CSV (*.csv)");
    const QString jsonFilter = QCoreApplication::translate("ListExport", "JSON (*.json)");
    QString filter = csv ? csvFilter : jsonFilter;
    QString path =
        QFileDialog::getSaveFileName(owner, QCoreApplication::translate("ListExport", "Export"),
                                     proposal, csvFilter + ";;" + jsonFilter, &filter);
    csv = filter != jsonFilter;
    return path;
}

ExportChooser& CurrentChooser() {
    static ExportChooser chooser = SystemChooser;
    return chooser;
}

// A disc's tree, as a catalogue view offers it: its directories and files with their notes.
class CdTreeList : public ExportableList {
public:
    explicit CdTreeList(int32_t cdId) : cdId_(cdId) {}

    std::vector<std::string> ExportColumns() const override { return kCatalogueListColumns; }
    void WriteExportRows(ListWriter& writer) const override {
        classData data;
        if (!data.IsOpen()) return;
        WriteCdTreeRows(writer, data, ReadListedCd(data, cdId_));
    }
    QString ExportName() const override {
        classData data;
        return data.IsOpen()
                   ? QString::fromStdString(DecodeCatalogueText(data.GetCdGoto(cdId_).GetCdName()))
                   : QString();
    }

private:
    int32_t cdId_;
};

// A file name made of `name`: without the characters a folder cannot hold.
QString FileNameOf(QString name) {
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name = name.trimmed();
    return name.isEmpty() || name.startsWith(QLatin1Char('.'))
               ? QCoreApplication::translate("ListExport", "list")
               : name;
}

}  // namespace

void SetExportChooser(ExportChooser chooser) {
    CurrentChooser() = chooser ? std::move(chooser) : SystemChooser;
}

bool WriteListFile(const ExportableList& list, ListFormat format, const std::string& path,
                   std::string* error) {
    ReplacingFile file;
    if (!file.Open(path)) {
        *error = file.Error();
        return false;
    }
    // The writer hands its text over in pieces; after a failed write the rest is dropped.
    bool failed = false;
    {
        ListWriter writer(format, list.ExportColumns(), [&](std::string_view text) {
            if (!failed && !file.Write(text.data(), text.size())) failed = true;
        });
        list.WriteExportRows(writer);
        writer.Finish();
    }
    if (failed || !file.Commit()) {
        *error = file.Error();
        return false;
    }
    return true;
}

bool ExportWindowList(QWidget* window, QWidget* owner) {
    const ExportableList* list = dynamic_cast<const ExportableList*>(window);
    std::unique_ptr<CdTreeList> tree;
    frmMenu* menu = frmMenu::Instance();
    CatalogueView* view = menu ? menu->CurrentCatalogueView() : nullptr;
    if (!list && window && view && view->ViewWindow() == window) {
        const int32_t cdId = view->SelectedCdId();
        if (cdId > 0) {
            classData data;
            const std::vector<int32_t> ids =
                data.IsOpen() ? AllCdIds(data) : std::vector<int32_t>{};
            if (std::find(ids.begin(), ids.end(), cdId) != ids.end())
                tree = std::make_unique<CdTreeList>(cdId);
        }
        list = tree.get();
    }
    if (!list || list->ExportColumns().empty()) {
        ShowMessage(QT_TRANSLATE_NOOP(
                        "Messages",
                        "There is no list to export here: select a disc in the catalogue, or show "
                        "search results, duplicates, a comparison or a verification."),
                    vbOKOnly);
        return false;
    }
    static QString lastFolder;
    if (lastFolder.isEmpty()) lastFolder = QDir::homePath();
    bool csv = true;
    const QString proposal =
        lastFolder + QLatin1Char('/') + FileNameOf(list->ExportName()) + QStringLiteral(".csv");
    QString path = CurrentChooser()(owner, proposal, csv);
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += csv ? QStringLiteral(".csv") : QStringLiteral(".json");
    lastFolder = QFileInfo(path).absolutePath();
    std::string error;
    if (!WriteListFile(*list, csv ? ListFormat::Csv : ListFormat::Json,
                       QFile::encodeName(path).toStdString(), &error)) {
        ShowMessage(QCoreApplication::translate("ListExport", "The list could not be exported: %1")
                        .arg(QString::fromStdString(error))
                        .toStdString(),
                    vbOKOnly);
        return false;
    }
    return true;
}

namespace {

// What the user looks at: a list laid over the main window's work area while it shows (the
// quick-find results), else the active window.
QWidget* ShownListWindow(frmMenu& menu) {
    for (QWidget* child : menu.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible() && dynamic_cast<const ExportableList*>(child)) return child;
    }
    return menu.ActiveChildWindow();
}

}  // namespace

void InstallListExport(frmMenu& menu) {
    MainCommandTargets targets = menu.CommandTargets();
    targets.exportList = [&menu] { ExportWindowList(ShownListWindow(menu), &menu); };
    menu.SetCommandTargets(std::move(targets));
}

}  // namespace karvio
