// The category picker: the name of one category in a read-only text box, with a browse button
// that opens the category selection dialog; the control then holds the chosen category's id.
// Id 0 is the root of the category tree, shown as "Karvio". Owns its two inner widgets;
// user-interface thread.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;
class QToolButton;

namespace karvio {

class ctlIconLabel : public QWidget {
    Q_OBJECT

public:
    // Asks the user for a category, starting from `current`; the chosen id (0 the root) or a
    // negative number when the user cancelled.
    using Selector = std::function<int32_t(QWidget* owner, int32_t current)>;

    explicit ctlIconLabel(QWidget* parent = nullptr);

    int32_t CategoryId() const { return categoryId_; }
    // Holds `id` and shows its display name and picture.
    void SetCategoryId(int32_t id);
    QString Caption() const;

    // The browse button: the selection dialog; a result of 0 or more becomes the category.
    void Browse();

    // Replaces the selector every picker uses (tests script it); an empty one restores the
    // category selection dialog. Returns the previous one.
    static Selector SetSelector(Selector selector);

    QLineEdit* txtFolder() const { return txtFolder_; }
    QToolButton* cmdBrowse() const { return cmdBrowse_; }

signals:
    void Change(const QString& text);

private:
    QLabel* picture_;
    QLineEdit* txtFolder_;
    QToolButton* cmdBrowse_;
    int32_t categoryId_ = 0;
};

// The name a category is shown by: its stored name, "Karvio" for the root (id 0), and the
// root's name for an id that names no category of the catalogue. The picture number comes back
// through `image` when given (1 for the root).
QString CategoryDisplayText(int32_t id, int* image = nullptr);

}  // namespace karvio
