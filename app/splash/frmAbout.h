// The about box: the program's name, version and purpose, links to the user guide and the data
// file's folder, and a button that shows the system's details (Qt, kernel, operating system).
// Modal; user-interface thread.
#pragma once

#include <QDialog>

namespace karvio {

// The system details the about box lists, one per line.
QString SystemInformationText();

class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

private:
    void ShowSystemInfo();
};

}  // namespace karvio
