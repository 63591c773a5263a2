#include "controls/ctlIconLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "CategoryPictures.h"
#include "classCat.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "explorer/frmCategorySelect.h"

namespace karvio {

namespace {

constexpr int kPictureSize = 16;

int32_t SelectWithDialog(QWidget* owner, int32_t current) {
    int32_t result = -1;
    frmCategorySelect::SelectCategory(current, result, owner);
    return result;
}

ctlIconLabel::Selector& CurrentSelector() {
    static ctlIconLabel::Selector selector = SelectWithDialog;
    return selector;
}

}  // namespace

QString CategoryDisplayText(int32_t id, int* image) {
    if (image) *image = kIconRoot;
    if (id <= 0) return QStringLiteral("Karvio");
    classData data;
    // Only ids of the category list are read: a stale id must not be read as a record.
    for (classCat* cat = &data.GetCatFirst(); !data.GetCatEof(); cat = &data.GetCatNext()) {
        if (cat->GetCatId() == id) {
            if (image) *image = cat->GetCatImageId() > 0 ? cat->GetCatImageId() : kDefaultCategoryImage;
            return QString::fromStdString(cat->GetCatName());
        }
    }
    return QStringLiteral("Karvio");
}

ctlIconLabel::ctlIconLabel(QWidget* parent)
    : QWidget(parent), picture_(new QLabel(this)), txtFolder_(new QLineEdit(this)),
      cmdBrowse_(new QToolButton(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(picture_);
    layout->addWidget(txtFolder_, 1);
    layout->addWidget(cmdBrowse_);
    picture_->setFixedSize(kPictureSize, kPictureSize);
    txtFolder_->setObjectName(QStringLiteral("txtFolder"));
    txtFolder_->setReadOnly(true);
    txtFolder_->setAccessibleName(tr("Category"));
    cmdBrowse_->setObjectName(QStringLiteral("cmdBrowse"));
    cmdBrowse_->setText(QStringLiteral("..."));
    cmdBrowse_->setAccessibleName(tr("Choose a category"));
    cmdBrowse_->setToolTip(tr("Choose a category"));
    setFocusProxy(cmdBrowse_);
    // A label's mnemonic focuses its buddy only when the buddy itself takes focus; the proxy
    // then passes it on (and the tab chain skips this container for its parts).
    setFocusPolicy(Qt::StrongFocus);
    connect(txtFolder_, &QLineEdit::textChanged, this, &ctlIconLabel::Change);
    connect(cmdBrowse_, &QToolButton::clicked, this, &ctlIconLabel::Browse);
    SetCategoryId(0);
}

void ctlIconLabel::SetCategoryId(int32_t id) {
    categoryId_ = id;
    int image = kIconRoot;
    txtFolder_->setText(CategoryDisplayText(id, &image));
    picture_->setPixmap(ItemIcon(image).pixmap(kPictureSize, kPictureSize));
}

QString ctlIconLabel::Caption() const { return txtFolder_->text(); }

void ctlIconLabel::Browse() {
    const Selector& selector = CurrentSelector() ? CurrentSelector() : Selector(SelectWithDialog);
    const int32_t chosen = selector(window(), categoryId_);
    if (chosen >= 0) SetCategoryId(chosen);
}

ctlIconLabel::Selector ctlIconLabel::SetSelector(Selector selector) {
    Selector previous = std::move(CurrentSelector());
    CurrentSelector() = selector ? std::move(selector) : Selector(SelectWithDialog);
    return previous;
}

}  // namespace karvio
