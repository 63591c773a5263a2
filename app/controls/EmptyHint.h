// A line or two of help shown in the middle of an empty list (how to add the first disc),
// drawn in the palette's placeholder colour over the view's viewport and transparent to the
// mouse, so the list's context menu and drops still work. The view owns it. User-interface
// thread.
#pragma once

#include <QLabel>

class QAbstractItemView;

namespace karvio {

class EmptyHint : public QLabel {
    Q_OBJECT

public:
    EmptyHint(const QString& text, QAbstractItemView* view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();
};

// What the lists say while the catalogue holds no disc.
QString FirstDiscHintText();

}  // namespace karvio
