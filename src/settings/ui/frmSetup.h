#pragma once

#include "settings/DeviceDescription.h"
#include "settings/EngineOptions.h"

#include <QDialog>
#include <array>
#include <functional>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QTimeEdit;
class QRadioButton;

// The setup window: which line devices are watched, the operating mode, the unlock PIN, blocking
// of callers without a number and the start-up options.
//
// Its load (run by the constructor, and again by Load() after the window was unloaded) lists the
// line devices, switches unusable lines off in the store and shows the stored options. Save
// stores everything, writes the start-with-system entry and then runs what the owner asked for:
// the desktop program starts its exit timer (new settings apply from the next start); as a
// running service's window it asks the service to reload them. Cancel unloads the window.
class frmSetup : public QDialog {
    Q_OBJECT
public:
    // devices: the line devices of the running telephony session, and what the service can say
    // about those it cannot use; startExitTimer: starts the main window's timExit.
    frmSetup(LineDevices devices, std::function<void()> startExitTimer, QWidget* parent = nullptr);
    // The same window over devices described by someone else (a running service); afterSave
    // runs once Save has stored the options.
    using DeviceLister = std::function<DeviceDescriptions()>;
    frmSetup(DeviceLister listDevices, std::function<void()> afterSave, QWidget* parent = nullptr);
    ~frmSetup() override;

    // Runs the load again (lists the devices, reads the options). The constructor runs it once.
    void Load();
    // Whether the window is loaded: false after Save or Cancel unloaded it.
    bool isLoaded() const { return m_loaded; }

    // The options as loaded, and after a Save as saved.
    const EngineOptions& options() const { return m_options; }

    // The description shown for line i: what Save stores under Modem/Line<i>, followed by what
    // keeps the line from taking calls now, if anything.
    QString lineDescription(int line) const;

    void reject() override; // Escape and the window's close button: Cancel

Q_SIGNALS:
    // The window was unloaded by Save or Cancel; the owner may show it again only after Load().
    void unloaded();
    // Save stored the options (the program ends shortly after).
    void saved(const EngineOptions& options);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void resetToInitialLayout();
    void ListDevices();
    void onCheckToggled(int line, bool checked);
    void onCheckFocusOut(int line);
    void Save();
    void Unload();

    DeviceLister m_listDevices;
    std::function<void()> m_afterSave;
    DeviceDescriptions m_described;
    EngineOptions m_options;
    bool m_loaded = false;

    std::array<QCheckBox*, 4> m_check{};
    std::array<QLineEdit*, 4> m_txtLine{};
    QRadioButton* m_optMode1 = nullptr;
    QRadioButton* m_optMode2 = nullptr;
    QCheckBox* m_chkUnknown = nullptr;
    QLineEdit* m_txtPin = nullptr;
    QCheckBox* m_chkUnlisted = nullptr;
    QCheckBox* m_chkQuiet = nullptr;
    QTimeEdit* m_tmeQuietFrom = nullptr;
    QTimeEdit* m_tmeQuietTo = nullptr;
    QSpinBox* m_spnCallBack = nullptr;
    QCheckBox* m_chkMinOnStart = nullptr;
    QCheckBox* m_chkStartUp = nullptr;
    QCheckBox* m_chkNotify = nullptr;
};
