#include "shell/cSysTray.h"

#include "shell/ShellIcons.h"

#include <QCoreApplication>

namespace {
std::optional<bool>& trayAvailableOverride() {
    static std::optional<bool> value;
    return value;
}
} // namespace

cSysTray::cSysTray(QObject* parent)
    : QObject(parent), m_icon(new QSystemTrayIcon(this)),
      m_tip(QCoreApplication::translate("cSysTray", "System Tray Control")),
      m_picture(HushwireIcon()) {
    setObjectName(QStringLiteral("cSysTray1"));
    connect(m_icon, &QSystemTrayIcon::activated, this, &cSysTray::handleActivation);
}

cSysTray::~cSysTray() {
    // Never leave an icon behind in the notification area.
    setInTray(false);
}

void cSysTray::setInTray(bool inTray) {
    if (inTray == m_inTray)
        return;
    if (inTray) {
        addTrayIcon();
        m_added = true;
    } else if (m_added) {
        deleteTrayIcon();
        m_added = false;
    }
    m_inTray = inTray;
}

void cSysTray::setTrayTip(const QString& tip) {
    if (m_added)
        m_icon->setToolTip(tip.left(kMaxTipLength));
    m_tip = tip;
}

void cSysTray::setTrayIcon(const QIcon& icon) {
    if (icon.isNull())
        return;
    if (m_added)
        m_icon->setIcon(icon);
    m_picture = icon;
}

QString cSysTray::shownTip() const {
    return m_added ? m_icon->toolTip() : QString();
}

bool cSysTray::canRestoreFromTray() const {
    return m_added && trayAvailable();
}

void cSysTray::addTrayIcon() {
    if (!m_picture.isNull())
        m_icon->setIcon(m_picture);
    if (!m_tip.isEmpty())
        m_icon->setToolTip(m_tip.left(kMaxTipLength));
    m_icon->show();
}

void cSysTray::deleteTrayIcon() {
    m_icon->hide();
}

void cSysTray::DispatchTrayMouse(int mouseMessage, quint32 id) {
    switch (mouseMessage) {
    case MouseMoveMsg:
        Q_EMIT MouseMove(id);
        break;
    case LeftButtonDown:
        Q_EMIT MouseDown(1, id);
        break;
    case LeftButtonUp:
        Q_EMIT MouseUp(1, id);
        break;
    case LeftButtonDblClk:
        Q_EMIT MouseDblClick(1, id);
        break;
    case RightButtonDown:
        Q_EMIT MouseDown(2, id);
        break;
    case RightButtonUp:
        Q_EMIT MouseUp(2, id);
        break;
    case RightButtonDblClk:
        Q_EMIT MouseDblClick(2, id);
        break;
    default:
        break;
    }
}

void cSysTray::handleActivation(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        DispatchTrayMouse(LeftButtonDown, m_iconId);
        DispatchTrayMouse(LeftButtonUp, m_iconId);
        break;
    case QSystemTrayIcon::DoubleClick:
        DispatchTrayMouse(LeftButtonDblClk, m_iconId);
        break;
    case QSystemTrayIcon::Context:
        DispatchTrayMouse(RightButtonDown, m_iconId);
        DispatchTrayMouse(RightButtonUp, m_iconId);
        break;
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
}

bool cSysTray::trayAvailable() {
    if (trayAvailableOverride())
        return *trayAvailableOverride();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void cSysTray::setTrayAvailableForTesting(std::optional<bool> available) {
    trayAvailableOverride() = available;
}
