#include "ui/LinkLabel.h"

#include "ui/UrlOpener.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>

LinkLabel::LinkLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent), m_cursor(Qt::PointingHandCursor) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(p);
    setMouseTracking(true);
}

LinkLabel::~LinkLabel() {
    releaseCursor();
}

void LinkLabel::addCursorResetArea(QWidget* area) {
    if (!area)
        return;
    // Moving from the link into its surrounding panel sends no enter event to the panel (it is
    // the link's parent), so the panel must report plain mouse moves.
    area->setMouseTracking(true);
    area->installEventFilter(this);
    m_resetAreas.append(area);
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    takeCursor();
    QLabel::enterEvent(event);
}

void LinkLabel::mouseMoveEvent(QMouseEvent* event) {
    takeCursor();
    QLabel::mouseMoveEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    Q_EMIT clicked();
    if (m_url.isValid())
        OpenUrl(m_url);
}

bool LinkLabel::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    if (t == QEvent::Enter || t == QEvent::MouseMove) {
        for (const QPointer<QWidget>& area : std::as_const(m_resetAreas)) {
            if (area == watched) {
                releaseCursor();
                break;
            }
        }
    }
    return QLabel::eventFilter(watched, event);
}

void LinkLabel::takeCursor() {
    if (m_holding)
        return;
    QApplication::setOverrideCursor(m_cursor);
    m_holding = true;
}

void LinkLabel::releaseCursor() {
    if (!m_holding)
        return;
    QApplication::restoreOverrideCursor();
    m_holding = false;
}
