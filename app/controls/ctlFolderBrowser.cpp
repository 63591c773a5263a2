#include "controls/ctlFolderBrowser.h"

#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>
#include <QTreeView>

#include "PathServices.h"

namespace karvio {

namespace {

QString SystemChooser(QWidget* owner, const QString& title, const QString& startPath) {
    QFileDialog dialog(owner, title, startPath);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    // Qt's own dialog (where the desktop offers none) opens too narrow, and cuts its dates.
    dialog.resize(dialog.sizeHint().expandedTo(QSize(720, 440)));
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        const QString longest = QLocale().toString(QDateTime(QDate(2000, 12, 28), QTime(23, 59, 59)),
                                                   QLocale::ShortFormat);
        details->header()->resizeSection(3, details->fontMetrics().horizontalAdvance(longest) + 24);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

ctlFolderBrowser::Chooser& CurrentChooser() {
    static ctlFolderBrowser::Chooser chooser = SystemChooser;
    return chooser;
}

}  // namespace

ctlFolderBrowser::ctlFolderBrowser(QWidget* parent)
    : QWidget(parent), txtFolder_(new QLineEdit(this)), cmdBrowse_(new QToolButton(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(txtFolder_, 1);
    layout->addWidget(cmdBrowse_);
    txtFolder_->setObjectName(QStringLiteral("txtFolder"));
    txtFolder_->setAccessibleName(tr("Folder"));
    txtFolder_->setToolTip(tr("The drive or folder; Alt+Down chooses one"));
    cmdBrowse_->setObjectName(QStringLiteral("cmdBrowse"));
    cmdBrowse_->setText(QStringLiteral("..."));
    cmdBrowse_->setAccessibleName(tr("Browse for a folder"));
    cmdBrowse_->setToolTip(tr("Choose a folder (Alt+Down)"));
    setFocusProxy(txtFolder_);
    // A label's mnemonic focuses its buddy only when the buddy itself takes focus; the proxy
    // then passes it on (and the tab chain skips this container for its parts).
    setFocusPolicy(Qt::StrongFocus);
    txtFolder_->installEventFilter(this);
    connect(txtFolder_, &QLineEdit::textChanged, this, &ctlFolderBrowser::Change);
    connect(cmdBrowse_, &QToolButton::clicked, this, &ctlFolderBrowser::Browse);
}

QString ctlFolderBrowser::Text() const { return txtFolder_->text(); }

void ctlFolderBrowser::SetText(const QString& text) { txtFolder_->setText(text); }

bool ctlFolderBrowser::Locked() const { return txtFolder_->isReadOnly(); }

void ctlFolderBrowser::SetLocked(bool locked) { txtFolder_->setReadOnly(locked); }

void ctlFolderBrowser::SelectAll() { txtFolder_->selectAll(); }

void ctlFolderBrowser::Browse() {
    txtFolder_->setFocus();
    const QString start =
        QString::fromStdString(StripBackslash(txtFolder_->text().trimmed().toStdString()));
    const QString chosen = ChooseFolder(window(), tr("Select a folder"), start);
    if (!chosen.isEmpty()) txtFolder_->setText(chosen);
}

QString ctlFolderBrowser::ChooseFolder(QWidget* owner, const QString& title, const QString& startPath) {
    const Chooser& chooser = CurrentChooser() ? CurrentChooser() : Chooser(SystemChooser);
    return chooser(owner, title, startPath);
}

ctlFolderBrowser::Chooser ctlFolderBrowser::SetChooser(Chooser chooser) {
    Chooser previous = std::move(CurrentChooser());
    CurrentChooser() = chooser ? std::move(chooser) : Chooser(SystemChooser);
    return previous;
}

bool ctlFolderBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtFolder_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier)) {
            Browse();
            return true;
        }
    }
    if (watched == txtFolder_ && event->type() == QEvent::FocusIn) {
        // Selecting at once would be undone by the click that gave the focus.
        QMetaObject::invokeMethod(txtFolder_, &QLineEdit::selectAll, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace karvio
