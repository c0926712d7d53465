#include "settings/ui/frmSetup.h"

#include "platform/MessageSeam.h"
#include "settings/OptionsStore.h"
#include "settings/SettingsStore.h"
#include "settings/ui/SetupTexts.h"
#include "settings/ui/SipLinesPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

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

frmSetup::frmSetup(LineDevices devices, std::function<void()> startExitTimer, QWidget* parent)
    : frmSetup([devices] { return DescribeLineDevices(devices); }, std::move(startExitTimer),
               parent) {}

frmSetup::frmSetup(DeviceLister listDevices, std::function<void()> afterSave, QWidget* parent)
    : QDialog(parent), m_listDevices(std::move(listDevices)), m_afterSave(std::move(afterSave)) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QCoreApplication::translate("frmSetup", "Setup"));
    buildWindow();
    Load();
}

frmSetup::~frmSetup() = default;

void frmSetup::buildWindow() {
    auto* modemFrame = new QGroupBox(QCoreApplication::translate("frmSetup", "Select Modem"));
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

    auto* modeFrame = new QGroupBox(QCoreApplication::translate("frmSetup", "Operating Mode"));
    modeFrame->setObjectName(QStringLiteral("fraMode"));
    auto* modeLayout = new QVBoxLayout(modeFrame);
    m_optMode1 = new QRadioButton(QCoreApplication::translate("frmSetup", "Mode1"));
    m_optMode1->setObjectName(QStringLiteral("optMode_1"));
    m_optMode2 = new QRadioButton(QCoreApplication::translate(
        "frmSetup", "Mode2 (you should turn off the phone ringer, turn on pc's speaker)"));
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

    auto* blockFrame =
        new QGroupBox(QCoreApplication::translate("frmSetup", "Additional Block Option "));
    blockFrame->setObjectName(QStringLiteral("fraBlock"));
    auto* blockLayout = new QHBoxLayout(blockFrame);
    m_chkUnknown = new QCheckBox(QCoreApplication::translate("frmSetup", "Block 'UNKOWN' Calls"));
    m_chkUnknown->setObjectName(QStringLiteral("chkUnknown"));
    m_txtPin = new QLineEdit;
    m_txtPin->setObjectName(QStringLiteral("txtPin"));
    m_txtPin->setMaxLength(EngineOptions::kPinLength);
    m_txtPin->setMaximumWidth(60);
    auto* pinLabel = new QLabel(QCoreApplication::translate("frmSetup", "Unlock PIN Number"));
    pinLabel->setObjectName(QStringLiteral("lblPin"));
    pinLabel->setBuddy(m_txtPin);
    blockLayout->addWidget(m_chkUnknown);
    blockLayout->addStretch();
    blockLayout->addWidget(pinLabel);
    blockLayout->addWidget(m_txtPin);

    auto* screenFrame = new QGroupBox(QCoreApplication::translate("frmSetup", "Screening"));
    screenFrame->setObjectName(QStringLiteral("fraScreening"));
    auto* screenLayout = new QHBoxLayout(screenFrame);
    m_chkUnlisted =
        new QCheckBox(QCoreApplication::translate("frmSetup", "Only callers I allow ring"));
    m_chkUnlisted->setObjectName(QStringLiteral("chkUnlisted"));
    m_chkQuiet = new QCheckBox(QCoreApplication::translate("frmSetup", "Quiet hours from"));
    m_chkQuiet->setObjectName(QStringLiteral("chkQuiet"));
    auto timeEdit = [](const char* name) {
        auto* edit = new QTimeEdit;
        edit->setObjectName(QLatin1String(name));
        edit->setDisplayFormat(QStringLiteral("HH:mm"));
        return edit;
    };
    m_tmeQuietFrom = timeEdit("tmeQuietFrom");
    m_tmeQuietTo = timeEdit("tmeQuietTo");
    m_spnCallBack = new QSpinBox;
    m_spnCallBack->setObjectName(QStringLiteral("spnCallBack"));
    m_spnCallBack->setRange(0, 24 * 60);
    m_spnCallBack->setSuffix(QCoreApplication::translate("frmSetup", " min"));
    m_spnCallBack->setToolTip(QCoreApplication::translate(
        "frmSetup", "A caller who keyed the PIN rings through this long; 0: never"));
    screenLayout->addWidget(m_chkUnlisted);
    screenLayout->addStretch();
    screenLayout->addWidget(m_chkQuiet);
    screenLayout->addWidget(m_tmeQuietFrom);
    screenLayout->addWidget(new QLabel(QCoreApplication::translate("frmSetup", "to")));
    screenLayout->addWidget(m_tmeQuietTo);
    screenLayout->addStretch();
    screenLayout->addWidget(
        new QLabel(QCoreApplication::translate("frmSetup", "Call-back window")));
    screenLayout->addWidget(m_spnCallBack);

    auto* startFrame = new QGroupBox(QCoreApplication::translate("frmSetup", "Startup Option"));
    startFrame->setObjectName(QStringLiteral("fraStartup"));
    auto* startLayout = new QHBoxLayout(startFrame);
    m_chkMinOnStart = new QCheckBox(QCoreApplication::translate("frmSetup", "Minimize On Startup"));
    m_chkMinOnStart->setObjectName(QStringLiteral("ChkMinOnStart"));
    m_chkStartUp =
        new QCheckBox(QCoreApplication::translate("frmSetup", "Load With System Starts"));
    m_chkStartUp->setObjectName(QStringLiteral("chkStartUp"));
    m_chkNotify = new QCheckBox(tr("Show a notification for each blocked call"));
    m_chkNotify->setObjectName(QStringLiteral("chkNotify"));
    startLayout->addWidget(m_chkMinOnStart);
    startLayout->addWidget(m_chkStartUp);
    startLayout->addWidget(m_chkNotify);
    startLayout->addStretch();

    auto* cmdSave = new QPushButton(QCoreApplication::translate("frmSetup", "Save"));
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    auto* cmdExit = new QPushButton(QCoreApplication::translate("frmSetup", "Cancel"));
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
    layout->addWidget(new SipLinesPanel(SettingsFilePath()));
    layout->addWidget(modeFrame);
    layout->addWidget(blockFrame);
    layout->addWidget(screenFrame);
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
}

void frmSetup::Load() {
    {
        const WaitCursor wait;
        resetToInitialLayout();
        ListDevices();
        m_options = LoadEngineOptions(m_described);
        (m_options.mode == 1 ? m_optMode1 : m_optMode2)->setChecked(true);
        for (size_t i = 0; i < m_check.size(); ++i)
            m_check[i]->setChecked(LeadingNumber(m_options.lines[i].choice) != 0);
        m_chkMinOnStart->setChecked(m_options.minOnStart != 0);
        m_chkStartUp->setChecked(m_options.autoStart != 0);
        m_chkUnknown->setChecked(m_options.blockUnknown != 0);
        m_chkNotify->setChecked(m_options.notifyBlocked != 0);
        m_txtPin->setText(m_options.pin);
        m_chkUnlisted->setChecked(m_options.blockUnlisted != 0);
        m_chkQuiet->setChecked(m_options.quietHours.isSet());
        if (m_options.quietHours.isSet()) {
            m_tmeQuietFrom->setTime(QTime(0, 0).addSecs(m_options.quietHours.fromMinute * 60));
            m_tmeQuietTo->setTime(QTime(0, 0).addSecs(m_options.quietHours.toMinute * 60));
        } else {
            m_tmeQuietFrom->setTime(QTime(22, 0));
            m_tmeQuietTo->setTime(QTime(7, 0));
        }
        m_spnCallBack->setValue(m_options.callBackMinutes);
        m_loaded = true;
    }
    ExplainDeniedPorts(m_described);
}

void frmSetup::ListDevices() {
    m_described = m_listDevices();
    for (size_t i = 0; i < m_check.size(); ++i) {
        const DeviceDescription& d = m_described[i];
        m_txtLine[i]->setText(d.problem.isEmpty()
                                  ? d.text
                                  : d.text + QStringLiteral("  [") + d.problem + QLatin1Char(']'));
        m_txtLine[i]->setCursorPosition(0);
        m_check[i]->setEnabled(m_described[i].usable);
    }
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
        ShowMessage(QCoreApplication::translate("frmSetup", "Plese select a modem"), AppTitle(),
                    MessageIcon::Information);

    for (size_t i = 0; i < m_check.size(); ++i)
        m_options.lines[i].choice =
            m_check[i]->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    m_options.minOnStart = m_chkMinOnStart->isChecked() ? 1 : 0;
    m_options.blockUnknown = m_chkUnknown->isChecked() ? 1 : 0;
    m_options.notifyBlocked = m_chkNotify->isChecked() ? 1 : 0;
    m_options.pin = m_txtPin->text();
    m_options.autoStart = m_chkStartUp->isChecked() ? 1 : 0;
    m_options.mode = m_optMode1->isChecked() ? 1 : 2;
    m_options.blockUnlisted = m_chkUnlisted->isChecked() ? 1 : 0;
    m_options.quietHours = {};
    if (m_chkQuiet->isChecked()) {
        auto minute = [](QTime t) { return t.hour() * 60 + t.minute(); };
        m_options.quietHours =
            QuietHours::parse(
                QuietHours{minute(m_tmeQuietFrom->time()), minute(m_tmeQuietTo->time())}.text())
                .value_or(QuietHours{});
    }
    m_options.callBackMinutes = m_spnCallBack->value();
    // The store reports a failed write itself and the rest is not attempted, so one failure
    // gives one message, and "Setup Complete" is not claimed.
    if (SaveEngineOptions(m_options, m_described)) {
        Q_EMIT saved(m_options);
        ShowMessage(QCoreApplication::translate("frmSetup", "Setup Complete"), AppTitle(),
                    MessageIcon::Information);
    }
    Unload();
    if (m_afterSave)
        m_afterSave();
}

void frmSetup::reject() {
    Unload();
}

void frmSetup::Unload() {
    m_loaded = false;
    done(QDialog::Rejected);
    Q_EMIT unloaded();
}
