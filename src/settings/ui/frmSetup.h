#pragma once

#include <QDialog>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class CallScreener;
class LineAccess;
class LineApi;
class QCheckBox;
class QLineEdit;
class QRadioButton;

// The setup window: which line devices are watched, the operating mode, the unlock PIN, blocking
// of callers without a number and the start-up options.
//
// Its load (run by the constructor, and again by Load() after the window was unloaded) lists the
// line devices, fixes each usable line's media mode in the engine and puts the stored options
// Mode, BlockUnknown, PIN and MinOnStart into memory; start-up relies on that before it opens
// the lines. Save stores everything, writes the start-with-system entry and then starts the
// main window's exit timer: new settings apply from the next start. Cancel unloads the window.
class frmSetup : public QDialog {
    Q_OBJECT
public:
    // screener: the engine, already initialised (lineApp, deviceCount, apiVersion); lineApi: the
    // telephony service to ask for device capabilities; startExitTimer: starts the main window's
    // timExit. devicePaths: the serial port of each line device, when known; a port this user
    // may not open is then shown as such and explained (so is any device of a lineApi that also
    // implements LineAccess).
    frmSetup(CallScreener& screener, LineApi& lineApi, std::function<void()> startExitTimer,
             QWidget* parent = nullptr, const QStringList& devicePaths = {});
    ~frmSetup() override;

    // Runs the load again (lists the devices, reads the options). The constructor runs it once.
    void Load();
    // Whether the window is loaded: false after Save or Cancel unloaded it.
    bool isLoaded() const { return m_loaded; }
    // Uses access instead of what the LineApi offers (nullptr: none). Takes effect at Load().
    void setLineAccess(const LineAccess* access) { m_access = access; }

    // Start with the main window minimised; read from the store at every load.
    int MinOnStart = 0;

    // The description shown for line i (also what Save stores under Modem/Line<i>).
    QString lineDescription(int line) const;

    void reject() override; // Escape and the window's close button: Cancel

Q_SIGNALS:
    // The window was unloaded by Save or Cancel; the owner may show it again only after Load().
    void unloaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void resetToInitialLayout();
    void ListDevices();
    void DescribeDevice(int line);
    void onCheckToggled(int line, bool checked);
    void onCheckFocusOut(int line);
    void Save();
    void Unload();
    void explainPermissionProblems(const QStringList& ports);

    CallScreener& m_screener;
    LineApi& m_lineApi;
    std::function<void()> m_startExitTimer;
    std::unique_ptr<LineAccess> m_ownAccess;
    const LineAccess* m_access = nullptr;
    bool m_loaded = false;
    QStringList m_deniedPorts;

    std::array<QCheckBox*, 4> m_check{};
    std::array<QLineEdit*, 4> m_txtLine{};
    QRadioButton* m_optMode1 = nullptr;
    QRadioButton* m_optMode2 = nullptr;
    QCheckBox* m_chkUnknown = nullptr;
    QLineEdit* m_txtPin = nullptr;
    QCheckBox* m_chkMinOnStart = nullptr;
    QCheckBox* m_chkStartUp = nullptr;
};
