// File > Backup and File > Compact Data: the engine's backup and compaction run on a worker
// thread behind the progress window frmAnimation2 (application-modal, so the rest of the program
// waits while the event loop goes on); failures are told in one message and leave the data file
// as it was. After a compaction every window that holds record ids hears
// CatalogueEvents::catalogueReplaced. User-interface thread.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace karvio {

class frmMenu;

// Asks for the backup's target file, starting in `startDir`; "" when the user cancelled.
using BackupTargetChooser = std::function<QString(QWidget* parent, const QString& startDir)>;
// Replaces the save dialog (tests answer it); an empty function restores the dialog. Returns the
// previous chooser.
BackupTargetChooser SetBackupTargetChooser(BackupTargetChooser chooser);

// Each starts the command and returns; the copy ends later (MaintenanceUnderWay tells).
void RunBackupCommand(frmMenu& menu);
void RunCompactCommand(frmMenu& menu);
bool MaintenanceUnderWay();

}  // namespace karvio
