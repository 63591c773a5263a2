// File > Export: the list the active child window shows (a disc's tree in a catalogue view, search
// results, the duplicates, a comparison, a verification), or the quick-find results while they
// show, written as CSV or JSON by the engine's list writers, into a file chosen in a save dialog.
// The file is written beside its target under a new name and renamed over it at the end, so a link
// planted at the target is replaced, never followed, and a failed write leaves what was there.
// User-interface thread.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "ListWriter.h"

class QWidget;

namespace karvio {

class frmMenu;

// A window whose list File > Export writes.
class ExportableList {
public:
    virtual ~ExportableList() = default;
    // The columns of the list the window shows now; empty when it shows none.
    virtual std::vector<std::string> ExportColumns() const = 0;
    // Writes its rows, in the order shown.
    virtual void WriteExportRows(ListWriter& writer) const = 0;
    // The file name proposed, without its extension.
    virtual QString ExportName() const = 0;
};

// Asks for the file to write (a proposed path and its filters; returns the chosen path and, in
// `csv`, whether CSV was chosen); an empty path when the user cancelled.
using ExportChooser = std::function<QString(QWidget* owner, const QString& proposal, bool& csv)>;
// Replaces the chooser (tests script it); an empty one restores the save dialog.
void SetExportChooser(ExportChooser chooser);

// Installs File > Export's target on `menu`.
void InstallListExport(frmMenu& menu);

// Exports what `window` shows (an ExportableList, or a catalogue view whose selected disc's tree
// is written); tells the user when there is nothing to export or the file could not be written.
// True when a file was written.
bool ExportWindowList(QWidget* window, QWidget* owner);

// Writes `list`'s rows as `format` to the file `path` (replacing it); false with `error`.
bool WriteListFile(const ExportableList& list, ListFormat format, const std::string& path,
                   std::string* error);

}  // namespace karvio
