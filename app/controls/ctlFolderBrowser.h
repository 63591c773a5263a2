// The folder picker: a text box holding a folder path and a browse button beside it that opens
// the desktop's folder chooser (also Alt+Down in the text box). A typed path is taken as it
// stands. Change is raised whenever the text changes, by typing, by the program or by the
// chooser. Owns its two inner widgets; user-interface thread.
#pragma once

#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;

namespace karvio {

class ctlFolderBrowser : public QWidget {
    Q_OBJECT

public:
    // Opens a folder chooser over `owner` titled `title` on `startPath`; the chosen folder, or an
    // empty text when the user cancelled.
    using Chooser = std::function<QString(QWidget* owner, const QString& title, const QString& startPath)>;

    explicit ctlFolderBrowser(QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& text);
    bool Locked() const;
    void SetLocked(bool locked);
    void SelectAll();

    // The browse operation: focus to the text box, chooser on the current path; a chosen folder
    // replaces the text, a cancelled chooser leaves it.
    void Browse();

    // Replaces the chooser every picker uses (tests script it); an empty one restores
    // QFileDialog::getExistingDirectory. Returns the previous one.
    static Chooser SetChooser(Chooser chooser);
    // Asks for a folder with the current chooser; empty when the user cancelled.
    static QString ChooseFolder(QWidget* owner, const QString& title, const QString& startPath);

    QLineEdit* txtFolder() const { return txtFolder_; }
    QToolButton* cmdBrowse() const { return cmdBrowse_; }

signals:
    void Change(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* txtFolder_;
    QToolButton* cmdBrowse_;
};

}  // namespace karvio
