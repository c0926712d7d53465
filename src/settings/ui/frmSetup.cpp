#include "settings/ui/frmSetup.h"

#include "engine/CallScreener.h"
#include "platform/MessageSeam.h"
#include "platform/telephony/LineApi.h"
#include "platform/telephony/LineStructs.h"
#include "settings/RunEntry.h"
#include "settings/SettingsStore.h"
#include "settings/ui/DeviceDescription.h"
#include "settings/ui/LineAccess.h"
#include "settings/ui/PortAccess.h"
#include "settings/ui/SetupTexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <vector>

namespace {

QString LineKey(int line) {
    return QStringLiteral("Line") + QString::number(line);
}

QString Config() {
    return QStringLiteral("Config");
}

// The hourglass pointer for the length of a scope.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QGroupBox* ModeExplanation(const QString& objectName, const QStringList& lines) {
    auto* box = new QGroupBox;
    box->setObjectName(objectName);
    box->setFlat(true);
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(0);
    for (const QString& line : lines) {
        auto* label = new QLabel(line);
        if (setuptexts::IsIndented(line))
            label->setIndent(16);
        layout->addWidget(label);
    }
    return box;
}

} // namespace

frmSetup::frmSetup(CallScreener& screener, LineApi& lineApi, std::function<void()> startExitTimer,
                   QWidget* parent, const QStringList& devicePaths)
    : QDialog(parent), m_screener(screener), m_lineApi(lineApi),
      m_startExitTimer(std::move(startExitTimer)),
      m_access(dynamic_cast<const LineAccess*>(&lineApi)) {
    if (!m_access && !devicePaths.isEmpty()) {
        m_ownAccess = std::make_unique<PortAccess>(devicePaths);
        m_access = m_ownAccess.get();
    }
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Setup"));
    buildWindow();
    Load();
}

frmSetup::~frmSetup() = default;

void frmSetup::buildWindow() {
    auto* modemFrame = new QGroupBox(QStringLiteral("Select Modem"));
    modemFrame->setObjectName(QStringLiteral("fraModem"));
    auto* modemGrid = new QGridLayout(modemFrame);
    for (int i = 0; i < 4; ++i) {
        m_check[size_t(i)] = new QCheckBox(QString::number(i));
        m_check[size_t(i)]->setObjectName(QStringLiteral("Check1_") + QString::number(i));
        m_check[size_t(i)]->installEventFilter(this);
        connect(m_check[size_t(i)], &QCheckBox::toggled, this,
                [this, i](bool checked) { onCheckToggled(i, checked); });
        m_txtLine[size_t(i)] = new QLineEdit;
        m_txtLine[size_t(i)]->setObjectName(QStringLiteral("txtLine_") + QString::number(i));
        m_txtLine[size_t(i)]->setReadOnly(true);
        m_txtLine[size_t(i)]->setFocusPolicy(Qt::ClickFocus);
        m_txtLine[size_t(i)]->setMinimumWidth(360);
        modemGrid->addWidget(m_check[size_t(i)], i, 0);
        modemGrid->addWidget(m_txtLine[size_t(i)], i, 1);
    }

    auto* modeFrame = new QGroupBox(QStringLiteral("Operating Mode"));
    modeFrame->setObjectName(QStringLiteral("fraMode"));
    auto* modeLayout = new QVBoxLayout(modeFrame);
    m_optMode1 = new QRadioButton(QStringLiteral("Mode1"));
    m_optMode1->setObjectName(QStringLiteral("optMode_1"));
    m_optMode2 = new QRadioButton(
        QStringLiteral("Mode2 (you should turn off the phone ringer, turn on pc's speaker)"));
    m_optMode2->setObjectName(QStringLiteral("optMode_2"));
    auto* programs = new QHBoxLayout;
    auto* mode1 = new QVBoxLayout;
    mode1->addWidget(m_optMode1);
    mode1->addWidget(ModeExplanation(QStringLiteral("fraMode1Text"), setuptexts::Mode1Lines()));
    mode1->addStretch();
    auto* mode2 = new QVBoxLayout;
    mode2->addWidget(m_optMode2);
    mode2->addWidget(ModeExplanation(QStringLiteral("fraMode2Text"), setuptexts::Mode2Lines()));
    mode2->addStretch();
    programs->addLayout(mode1);
    programs->addLayout(mode2);
    modeLayout->addLayout(programs);
    auto* note = new QLabel(setuptexts::Note());
    note->setObjectName(QStringLiteral("lblNote"));
    note->setWordWrap(true);
    modeLayout->addWidget(note);

    auto* blockFrame = new QGroupBox(QStringLiteral("Additional Block Option "));
    blockFrame->setObjectName(QStringLiteral("fraBlock"));
    auto* blockLayout = new QHBoxLayout(blockFrame);
    m_chkUnknown = new QCheckBox(QStringLiteral("Block 'UNKOWN' Calls"));
    m_chkUnknown->setObjectName(QStringLiteral("chkUnknown"));
    m_txtPin = new QLineEdit;
    m_txtPin->setObjectName(QStringLiteral("txtPin"));
    m_txtPin->setMaxLength(3);
    m_txtPin->setMaximumWidth(60);
    auto* pinLabel = new QLabel(QStringLiteral("Unlock PIN Number"));
    pinLabel->setObjectName(QStringLiteral("lblPin"));
    pinLabel->setBuddy(m_txtPin);
    blockLayout->addWidget(m_chkUnknown);
    blockLayout->addStretch();
    blockLayout->addWidget(pinLabel);
    blockLayout->addWidget(m_txtPin);

    auto* startFrame = new QGroupBox(QStringLiteral("Startup Option"));
    startFrame->setObjectName(QStringLiteral("fraStartup"));
    auto* startLayout = new QHBoxLayout(startFrame);
    m_chkMinOnStart = new QCheckBox(QStringLiteral("Minimize On Startup"));
    m_chkMinOnStart->setObjectName(QStringLiteral("ChkMinOnStart"));
    m_chkStartUp = new QCheckBox(QStringLiteral("Load With System Starts"));
    m_chkStartUp->setObjectName(QStringLiteral("chkStartUp"));
    startLayout->addWidget(m_chkMinOnStart);
    startLayout->addWidget(m_chkStartUp);
    startLayout->addStretch();

    auto* cmdSave = new QPushButton(QStringLiteral("Save"));
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    auto* cmdExit = new QPushButton(QStringLiteral("Cancel"));
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    // Enter in a check box must not save past the two-line rule, which runs when the focus
    // leaves the box: only a click (which takes the focus first) saves.
    cmdSave->setAutoDefault(false);
    cmdExit->setAutoDefault(false);
    connect(cmdSave, &QPushButton::clicked, this, &frmSetup::Save);
    connect(cmdExit, &QPushButton::clicked, this, &frmSetup::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdExit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(modemFrame);
    layout->addWidget(modeFrame);
    layout->addWidget(blockFrame);
    layout->addWidget(startFrame);
    layout->addLayout(buttons);
}

// What a freshly created window shows: boxes disabled and clear, descriptions empty, Mode1.
// Done without the click rule, as creating the controls would be.
void frmSetup::resetToInitialLayout() {
    for (size_t i = 0; i < 4; ++i) {
        const QSignalBlocker block(m_check[i]);
        m_check[i]->setChecked(false);
        m_check[i]->setEnabled(false);
        m_txtLine[i]->clear();
    }
    m_optMode1->setChecked(true);
    m_deniedPorts.clear();
}

void frmSetup::Load() {
    {
        const WaitCursor wait;
        resetToInitialLayout();

        m_screener.Mode =
            LeadingNumber(ReadSetting(Config(), QStringLiteral("Mode"), QStringLiteral("1")));
        (m_screener.Mode == 1 ? m_optMode1 : m_optMode2)->setChecked(true);

        ListDevices();

        for (int i = 0; i < 4; ++i) {
            if (!m_check[size_t(i)]->isEnabled())
                SaveSettingDirect(Config(), LineKey(i), QStringLiteral("0"));
        }
        for (int i = 0; i < 4; ++i) {
            m_check[size_t(i)]->setChecked(
                LeadingNumber(ReadSetting(Config(), LineKey(i), QStringLiteral("0"))) != 0);
        }

        auto readBox = [](QCheckBox* box, const QString& key) {
            box->setChecked(LeadingNumber(ReadSetting(Config(), key, QStringLiteral("0"))) != 0);
            return box->isChecked() ? 1 : 0;
        };
        MinOnStart = readBox(m_chkMinOnStart, QStringLiteral("MinOnStart"));
        readBox(m_chkStartUp, QStringLiteral("AutoStart"));
        m_screener.BlockUnknown = readBox(m_chkUnknown, QStringLiteral("BlockUnknown"));

        m_txtPin->setText(ReadSetting(Config(), QStringLiteral("PIN"), QString()));
        m_screener.PIN = m_txtPin->text();
        m_loaded = true;
    }
    if (!m_deniedPorts.isEmpty())
        explainPermissionProblems(m_deniedPorts);
}

void frmSetup::ListDevices() {
    for (int i = 0; i < m_screener.deviceCount && i <= 3; ++i)
        DescribeDevice(i);
}

void frmSetup::DescribeDevice(int line) {
    using namespace lineabi;
    std::vector<uint8_t> caps(devcaps::kBufferSize, 0);
    writeU32(caps.data(), kTotalSize, uint32_t(caps.size()));
    const int32_t result = m_lineApi.lineGetDevCaps(m_screener.lineApp, uint32_t(line),
                                                    m_screener.apiVersion, 0, caps.data());
    const QString name = result == 0 ? ReadLineName(caps.data(), caps.size()) : QString();
    const uint32_t modes = result == 0 ? readU32(caps.data(), devcaps::dwMediaModes) : 0;
    DeviceDescription d = DescribeDeviceCaps(result, name, modes);

    if (m_access && m_access->isPermissionDenied(uint32_t(line))) {
        // The port is there but this user may not open it: the line cannot work, say why.
        const QString port = m_access->devicePath(uint32_t(line));
        d.text = (name.isEmpty() ? port : name) + QStringLiteral("  [no permission to open ") +
                 port + QStringLiteral("]");
        d.usable = false;
        m_deniedPorts.append(port);
    }

    m_txtLine[size_t(line)]->setText(d.text);
    m_txtLine[size_t(line)]->setCursorPosition(0);
    m_check[size_t(line)]->setEnabled(d.usable);
    if (d.usable)
        m_screener.slot(line).mediaMode = d.mediaMode;
}

void frmSetup::explainPermissionProblems(const QStringList& ports) {
    ShowMessage(
        QStringLiteral("Hushwire may not open the modem port %1: your user account lacks "
                       "permission.\n\n"
                       "Serial ports belong to the group \"dialout\". Add yourself to it with\n"
                       "    sudo adduser $USER dialout\n"
                       "then log out and log in again, and switch the line on in Setup.")
            .arg(ports.join(QStringLiteral(", "))),
        AppTitle(), MessageIcon::Warning);
}

QString frmSetup::lineDescription(int line) const {
    return m_txtLine.at(size_t(line))->text();
}

void frmSetup::onCheckToggled(int line, bool checked) {
    if (!checked)
        ResetLineCounters(line, true);
}

void frmSetup::onCheckFocusOut(int line) {
    int checked = 0;
    for (const QCheckBox* box : m_check)
        checked += box->isChecked() ? 1 : 0;
    if (checked > 2)
        m_check[size_t(line)]->setChecked(false);
}

bool frmSetup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Switching to another window or opening a popup is not leaving the box.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (int i = 0; i < 4; ++i) {
                if (watched == m_check[size_t(i)])
                    onCheckFocusOut(i);
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmSetup::Save() {
    bool anyChecked = false;
    for (const QCheckBox* box : m_check)
        anyChecked = anyChecked || box->isChecked();
    if (!anyChecked)
        ShowMessage(QStringLiteral("Plese select a modem"), AppTitle(), MessageIcon::Information);

    // The store reports a failed write itself; the rest is not attempted, so one failure gives
    // one message, and "Setup Complete" is not claimed.
    bool ok = true;
    auto logged = [&ok](const QString& key, const QString& value, const QString& section) {
        if (ok)
            ok = SaveSettingLogged(section, key, value);
    };
    const QString modem = QStringLiteral("Modem");
    for (int i = 0; i < 4; ++i)
        logged(LineKey(i),
               m_check[size_t(i)]->isChecked() ? QStringLiteral("1") : QStringLiteral("0"),
               Config());
    for (int i = 0; i < 4; ++i)
        logged(LineKey(i), m_txtLine[size_t(i)]->text(), modem);
    auto state = [](const QCheckBox* box) {
        return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    };
    logged(QStringLiteral("MinOnStart"), state(m_chkMinOnStart), Config());
    logged(QStringLiteral("BlockUnknown"), state(m_chkUnknown), Config());
    logged(QStringLiteral("PIN"), m_txtPin->text(), Config());
    logged(QStringLiteral("AutoStart"), state(m_chkStartUp), Config());

    if (ok) {
        QString error;
        if (!WriteRunEntry(m_chkStartUp->isChecked() ? 1 : 0, &error)) {
            // A start-with-system choice that silently does nothing would look saved.
            ShowMessage(
                QStringLiteral("The start-with-system entry could not be written.\n%1").arg(error),
                AppTitle(), MessageIcon::Critical);
        }
        const bool mode1 = m_optMode1->isChecked();
        logged(QStringLiteral("Mode"), mode1 ? QStringLiteral("1") : QStringLiteral("2"), Config());
        m_screener.Mode = mode1 ? 1 : 2;
    }
    if (ok)
        ShowMessage(QStringLiteral("Setup Complete"), AppTitle(), MessageIcon::Information);
    Unload();
    if (m_startExitTimer)
        m_startExitTimer();
}

void frmSetup::reject() {
    Unload();
}

void frmSetup::Unload() {
    m_loaded = false;
    done(QDialog::Rejected);
    Q_EMIT unloaded();
}
