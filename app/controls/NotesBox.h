// Notes boxes (multi-line text boxes for a record's free-text notes) answer the keyboard as the
// other controls of their window do: Tab and Shift+Tab move the focus on, so a keyboard user can
// leave the box; Ctrl+Tab writes a tab character into the notes. User-interface thread.
#pragma once

class QPlainTextEdit;

namespace karvio {

// Makes `box` a notes box: Tab moves the focus, Ctrl+Tab inserts a tab.
void MakeNotesBox(QPlainTextEdit* box);

}  // namespace karvio
