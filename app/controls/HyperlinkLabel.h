// A label that reads as a link: it takes the highlight colour and an underline while the mouse
// is over it, shows the pointing hand, and opens its URL (or reports a click) when clicked.
// User-interface thread.
#pragma once

#include <QLabel>
#include <QUrl>

namespace karvio {

class HyperlinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit HyperlinkLabel(const QString& text, const QUrl& url = {}, QWidget* parent = nullptr);

    QUrl url() const { return url_; }
    void setUrl(const QUrl& url) { url_ = url; }
    bool IsHighlighted() const { return highlighted_; }

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetHighlighted(bool on);

    QUrl url_;
    bool highlighted_ = false;
};

}  // namespace karvio
