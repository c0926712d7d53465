#pragma once

#include "shell/CallLogListBox.h"

#include <QMainWindow>
#include <functional>

class QAction;
class QGroupBox;
class QListWidget;
class QMenu;
class QTimer;
class cSysTray;

// The main window: the on-screen call log, the promotional panel, the tray icon, every
// per-line timer (as QTimer children, so they carry their object names) and the menus that
// open all other windows. Loading and closing are driven from outside through the signals.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    QListWidget* lstWhite() const { return m_lstWhite; }
    CallLogList& callLogList() { return m_callLogList; }
    cSysTray* cSysTray1() const { return m_tray; }
    QTimer* timExit() const { return m_timExit; }
    QGroupBox* Frame2() const { return m_frame2; }

    // Puts the promotional panel in place of the empty "Cool Stuff" frame; it becomes Frame2.
    void setPromoPanel(QGroupBox* panel);
    QGroupBox* Frame1() const { return m_frame1; }

    // Left-button release on the tray icon: a minimised window comes back in its normal state.
    void onTrayMouseUp(qint16 button, quint32 id);

Q_SIGNALS:
    void mnuOptionsClicked();
    void mnuWhiteClicked();
    void mnuBlackClicked();
    void mnuRulesClicked();
    void mnuWLogsClicked();
    void mnuStatsClicked();
    // The window is about to close: the shut-down runs before the close completes.
    void unloading();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void showAbout();
    void showThanks();
    void openOnlineHelp();

    QListWidget* m_lstWhite = nullptr;
    CallLogListBox m_callLogList;
    QGroupBox* m_frame1 = nullptr;
    QGroupBox* m_frame2 = nullptr;
    cSysTray* m_tray = nullptr;
    QTimer* m_timExit = nullptr;
    bool m_unloaded = false;
};
