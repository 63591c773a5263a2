// Connects the engine's ShowMessage to the program's message box: while a message is up the
// mouse pointer is the ordinary arrow (an hourglass of a long operation is put back after).
// User-interface thread.
#pragma once

namespace karvio {

class ctlMsgBox;

// Makes `box` answer every later ShowMessage; nullptr answers with a message box of default
// look (start-up, before the main window exists). The box must outlive its installation.
void InstallMessageBox(ctlMsgBox* box);

// The installed message box, or nullptr.
ctlMsgBox* InstalledMessageBox();

}  // namespace karvio
