#pragma once

#include <QCursor>
#include <QLabel>
#include <QList>
#include <QPointer>
#include <QUrl>

// A label that acts as a web link: blue text, a click opens its URL through OpenUrl, and the mouse
// over it switches the application-wide cursor to a link cursor. The cursor stays the link cursor
// until the mouse moves over one of the reset areas (typically the panel around the link), the
// way the link cursor of a classic desktop panel behaves; it is always given back when the label
// goes away, so a closed window never leaves the program with a hand cursor.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);
    ~LinkLabel() override;

    void setUrl(const QUrl& url) { m_url = url; }
    QUrl url() const { return m_url; }
    void setLinkCursor(const QCursor& cursor) { m_cursor = cursor; }

    // Moving the mouse over this widget gives the default cursor back.
    void addCursorResetArea(QWidget* area);

    // Whether this label currently holds the application-wide link cursor.
    bool holdsLinkCursor() const { return m_holding; }

Q_SIGNALS:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void takeCursor();
    void releaseCursor();

    QUrl m_url;
    QCursor m_cursor;
    bool m_holding = false;
    QList<QPointer<QWidget>> m_resetAreas;
};
