#include "mainwindow/EditRefusals.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>

#include "Messages.h"
#include "mainwindow/CatalogueEvents.h"
#include "startup/Translations.h"

namespace karvio {

bool ReportEdit(const EditResult& result, const QString& typed) {
    switch (result.status) {
        case EditStatus::Done:
        case EditStatus::Declined:
            break;
        case EditStatus::Stale:
        case EditStatus::NoSuchCategory: {
            std::string text = kCatalogueChangedText;
            if (!typed.isEmpty()) {
                QGuiApplication::clipboard()->setText(typed);
                text += "\r\n";
                text += QT_TRANSLATE_NOOP(
                    "Messages", "What you typed is on the clipboard, to be applied again.");
            }
            ShowMessage(text, vbOKOnly);
            // The views hold ids that may now name other records: they load the catalogue again,
            // once the edit that found out (a caption editor, a dialog) has finished.
            QMetaObject::invokeMethod(
                &CatalogueEvents::Instance(),
                [] { emit CatalogueEvents::Instance().catalogueReplaced({}); },
                Qt::QueuedConnection);
            break;
        }
        case EditStatus::NotWritable:
            if (!typed.isEmpty()) QGuiApplication::clipboard()->setText(typed);
            ShowMessage(QCoreApplication::translate("Messages", "The change cannot be saved: %1")
                            .arg(TranslateMessage(QString::fromStdString(result.detail)))
                            .toStdString(),
                        vbOKOnly);
            break;
        case EditStatus::HoldsCategories:
        case EditStatus::HoldsCds:
            ShowMessage(kCategoryHoldsChildrenText, vbOKOnly);
            break;
        case EditStatus::MoveIntoItself:
            ShowMessage(
                QT_TRANSLATE_NOOP("Messages", "A node can't be made a child of its own children."),
                vbOKOnly);
            break;
        case EditStatus::NoSuchPicture:
            ShowMessage(EditResultText(result), vbOKOnly);
            break;
    }
    return result.Done();
}

}  // namespace karvio
