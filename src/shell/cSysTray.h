#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <optional>

// The notification-area icon with a tip, and the mouse activity over it as four events.
// The desktop reports clicks as QSystemTrayIcon activation reasons; they are turned into the
// classic mouse messages (512 move, 513/514/515 left down/up/double, 516/517/518 right) and
// dispatched from there, so every path raises the same events with the same button codes.
class cSysTray : public QObject {
    Q_OBJECT
public:
    enum MouseMessage {
        MouseMoveMsg = 512,
        LeftButtonDown = 513,
        LeftButtonUp = 514,
        LeftButtonDblClk = 515,
        RightButtonDown = 516,
        RightButtonUp = 517,
        RightButtonDblClk = 518,
    };
    static constexpr int kMaxTipLength = 63;

    explicit cSysTray(QObject* parent = nullptr);
    ~cSysTray() override;

    bool InTray() const { return m_inTray; }
    // Writing the current value does nothing; true adds the icon, false removes it.
    void setInTray(bool inTray);

    QString TrayTip() const { return m_tip; }
    // Updates the shown tip at once while the icon is in the tray.
    void setTrayTip(const QString& tip);

    QIcon TrayIcon() const { return m_picture; }
    // A null icon is ignored entirely.
    void setTrayIcon(const QIcon& icon);

    // Whether the icon is registered with the desktop, and the tip it shows (cut to 63).
    bool isAdded() const { return m_added; }
    QString shownTip() const;
    // True when the desktop has a tray and the icon is in it: only then can a hidden window be
    // brought back through the icon.
    bool canRestoreFromTray() const;

    // Raises at most one event for a mouse message; other messages raise nothing.
    void DispatchTrayMouse(int mouseMessage, quint32 id);
    // Maps the desktop's report onto mouse messages: a left click is a left press and release,
    // a right click (context) a right press and release; a middle click raises nothing.
    void handleActivation(QSystemTrayIcon::ActivationReason reason);

    // Whether the desktop offers a tray. Tests may force the answer.
    static bool trayAvailable();
    static void setTrayAvailableForTesting(std::optional<bool> available);

    QSystemTrayIcon* systemTrayIcon() const { return m_icon; }

Q_SIGNALS:
    void MouseMove(quint32 id);
    void MouseDown(qint16 button, quint32 id);
    void MouseUp(qint16 button, quint32 id);
    void MouseDblClick(qint16 button, quint32 id);

private:
    void addTrayIcon();
    void deleteTrayIcon();

    QSystemTrayIcon* m_icon;
    bool m_inTray = false;
    bool m_added = false;
    quint32 m_iconId = 0;
    QString m_tip;
    QIcon m_picture;
};
