// The Preview command of the main window: asks the current catalogue view where the report
// starts, asks for the options, writes the page into the report page directory in the background
// and shows it in the preview window. Installs itself and the preview on the main window. User-interface thread.
#pragma once

#include <QString>

namespace karvio {

class frmMenu;
class frmWebBrowser;

// Runs the command: asks, then writes the page on a worker (with the progress bar and Stop) and
// shows it when it is written; does nothing (or tells the user why) when there is nothing to
// show. Returns once the page is on its way (PreviewUnderWay tells).
void RunPreviewCommand(frmMenu& menu, frmWebBrowser& preview);
bool PreviewUnderWay();

// Creates the preview window (owned by the main window) and installs it, the Preview command and
// the backup and compaction commands, keeping the other command targets already installed.
frmWebBrowser* InstallReportAndMaintenance(frmMenu& menu);

}  // namespace karvio
