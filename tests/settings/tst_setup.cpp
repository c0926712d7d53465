#include "settings/DeviceDescription.h"
#include "settings/OptionsStore.h"
#include "settings/RunEntry.h"
#include "settings/SettingsStore.h"
#include "settings/ui/frmSetup.h"
#include "support/EngineHarness.h"
#include "support/TestFolders.h"

#include "telephony/LineStructs.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <vector>

namespace {

QString Setting(const char* section, const char* key) {
    return ReadSetting(QLatin1String(section), QLatin1String(key), QStringLiteral("<missing>"));
}

} // namespace

class TestSetup : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<EngineHarness> m_h;
    std::unique_ptr<frmSetup> m_form;
    int m_exitTimerStarts = 0;

    // Telephony with the given devices (name, media modes), started with no line open.
    void startEngine(const std::vector<std::pair<QString, uint32_t>>& devices) {
        m_h = std::make_unique<EngineHarness>(int(devices.size()));
        for (size_t i = 0; i < devices.size(); ++i) {
            m_h->line.devices[i].name = devices[i].first;
            m_h->line.devices[i].mediaModes = devices[i].second;
        }
        m_h->start({});
    }
    frmSetup& openForm() {
        m_form = std::make_unique<frmSetup>(m_h->lineDevices(), [this] { ++m_exitTimerStarts; });
        return *m_form;
    }
    template <typename T> T* child(const char* name) {
        T* w = m_form->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QCheckBox* box(int i) {
        return child<QCheckBox>(qPrintable(QStringLiteral("Check1_%1").arg(i)));
    }
    // A click on the box itself (its indicator), as a user would make it.
    void clickBox(int i) {
        if (!m_form->isVisible()) {
            m_form->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        }
        QTest::mouseClick(box(i), Qt::LeftButton, {}, QPoint(6, box(i)->height() / 2));
    }
    QString description(int i) {
        return child<QLineEdit>(qPrintable(QStringLiteral("txtLine_%1").arg(i)))->text();
    }
    QStringList journal() const {
        QFile f(SettingsJournalPath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        UseFoldersUnder(m_dir.path());
    }
    void init() {
        QFile::remove(SettingsFilePath());
        QFile::remove(SettingsJournalPath());
        QFile::remove(RunEntryPath());
        m_exitTimerStarts = 0;
    }
    void cleanup() {
        m_form.reset();
        m_h.reset();
    }

    // Each media-mode case, with the box and media mode it gives and what load stores for a
    // line that had been chosen.
    void deviceTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("modes");
        QTest::addColumn<bool>("capsFail");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<uint>("mediaMode");
        const QString vm = QStringLiteral("Voice Modem");
        QTest::newRow("voice 28") << vm << 28u << false << QStringLiteral("Voice Modem  [28]")
                                  << true << 4u;
        QTest::newRow("automated 24")
            << vm << 24u << false << QStringLiteral("Voice Modem  [24]") << true << 8u;
        QTest::newRow("automated only 8")
            << vm << 8u << false << QStringLiteral("Voice Modem  [8]") << true << 8u;
        QTest::newRow("data 20") << vm << 20u << false
                                 << QStringLiteral("  [20 Line does not support voice]Voice Modem")
                                 << false << 0u;
        QTest::newRow("data 16") << vm << 16u << false
                                 << QStringLiteral(
                                        "Voice Modem  [16] [ Line does not support voice]")
                                 << false << 0u;
        QTest::newRow("empty name")
            << QString() << 28u << false << QStringLiteral("Invalid type of line") << false << 0u;
        QTest::newRow("query fails")
            << vm << 28u << true << QStringLiteral("Invalid type of line") << false << 0u;
        QTest::newRow("latin-1 name") << QStringLiteral("Mod\u00e8m \u00c9") << 4u << false
                                      << QStringLiteral("Mod\u00e8m \u00c9  [4]") << true << 4u;
    }
    void deviceTexts() {
        QFETCH(QString, name);
        QFETCH(uint, modes);
        QFETCH(bool, capsFail);
        QFETCH(QString, text);
        QFETCH(bool, enabled);
        QFETCH(uint, mediaMode);
        startEngine({{name, modes}, {QStringLiteral("Second"), 28u}});
        if (capsFail)
            m_h->line.failOperationForDevice(QStringLiteral("lineGetDevCaps"), 0,
                                             tapi::LINEERR_NODEVICE);
        SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("Line0"), QStringLiteral("1"));
        SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("Line3"), QStringLiteral("1"));

        openForm();
        QCOMPARE(description(0), text);
        QCOMPARE(box(0)->isEnabled(), enabled);
        QCOMPARE(m_form->options().lines[0].mediaMode, enabled ? mediaMode : 0u);
        QCOMPARE(m_form->options().lines[0].opens(), enabled);
        QCOMPARE(box(0)->isChecked(), enabled);
        // The stored choice is the user's: a device that cannot be used now leaves it as it is.
        QCOMPARE(Setting("Config", "Line0"), QStringLiteral("1"));
        // Devices that do not exist: no text, box disabled, the stored choice kept.
        QCOMPARE(description(3), QString());
        QVERIFY(!box(3)->isEnabled());
        QCOMPARE(Setting("Config", "Line3"), QStringLiteral("1"));
        // Save keeps them too: only a box the user can change writes its line's choice.
        QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
        QCOMPARE(Setting("Config", "Line0"), QStringLiteral("1"));
        QCOMPARE(Setting("Config", "Line1"), QStringLiteral("0"));
        QCOMPARE(Setting("Config", "Line3"), QStringLiteral("1"));
        // The query asked with the 2241-byte buffer of the engine's application and version.
        const auto asked = m_h->line.opsNamed(QStringLiteral("lineGetDevCaps"));
        QCOMPARE(int(asked.size()), 2);
        QCOMPARE(asked[0].args[0], qint64(m_h->engine->lineApp()));
        QCOMPARE(asked[0].args[2], qint64(m_h->engine->apiVersion()));
    }

    // The line name is read within the buffer only, up to size + 1 bytes or a zero byte.
    void lineNameBounds() {
        using namespace lineabi;
        std::vector<uint8_t> buf(devcaps::kBufferSize, 0);
        auto put = [&](uint32_t offset, uint32_t size, const QByteArray& bytes) {
            std::fill(buf.begin(), buf.end(), 0);
            writeU32(buf.data(), devcaps::dwLineNameOffset, offset);
            writeU32(buf.data(), devcaps::dwLineNameSize, size);
            for (qsizetype i = 0; i < bytes.size() && offset + size_t(i) < buf.size(); ++i)
                buf[offset + size_t(i)] = uint8_t(bytes[i]);
            return ReadLineName(buf.data(), buf.size());
        };
        QCOMPARE(put(240, 3, "ABCDE"), QStringLiteral("ABCD"));
        QCOMPARE(put(240, 10, QByteArray("AB\0CD", 5)), QStringLiteral("AB"));
        QCOMPARE(put(2239, 10, "XYZ"), QStringLiteral("XY"));
        QCOMPARE(put(2241, 10, "XYZ"), QString());
        QCOMPARE(put(0xFFFFFFF0u, 0xFFFFFFFFu, "X"), QString());
        QCOMPARE(put(240, 0xFFFFFFFFu, "long"), QStringLiteral("long"));
        QCOMPARE(put(240, 0, "\xff\x80"), QStringLiteral("\u00ff"));
    }

    void loadReadsOptions() {
        startEngine(
            {{QStringLiteral("A"), 28u}, {QStringLiteral("B"), 28u}, {QStringLiteral("C"), 28u}});
        frmSetup& form = openForm();
        // An empty store: nothing chosen, Mode1, options off, empty PIN.
        QVERIFY(child<QRadioButton>("optMode_1")->isChecked());
        QCOMPARE(form.options().mode, 1);
        for (int i = 0; i < 3; ++i)
            QVERIFY(!box(i)->isChecked());
        QCOMPARE(child<QLineEdit>("txtPin")->maxLength(), 3);

        const QString config = QStringLiteral("Config");
        SaveSettingDirect(config, QStringLiteral("Mode"), QStringLiteral("2"));
        SaveSettingDirect(config, QStringLiteral("MinOnStart"), QStringLiteral("1"));
        SaveSettingDirect(config, QStringLiteral("AutoStart"), QStringLiteral("1"));
        SaveSettingDirect(config, QStringLiteral("BlockUnknown"), QStringLiteral("1"));
        SaveSettingDirect(config, QStringLiteral("PIN"), QStringLiteral("123"));
        SaveSettingDirect(config, QStringLiteral("Line2"), QStringLiteral("1 "));
        form.Load();
        QVERIFY(child<QRadioButton>("optMode_2")->isChecked());
        QCOMPARE(form.options().mode, 2);
        QCOMPARE(form.options().blockUnknown, 1);
        QCOMPARE(form.options().pin, QStringLiteral("123"));
        QCOMPARE(form.options().minOnStart, 1);
        QVERIFY(child<QCheckBox>("chkStartUp")->isChecked());
        QVERIFY(box(2)->isChecked());
        QCOMPARE(Setting("Config", "Line2"), QStringLiteral("1 ")); // a usable line is left alone
        QVERIFY(!form.options().lines[2].opens());                  // but only "1" opens it
        // A longer PIN than the box takes is cut, as the box shows it.
        SaveSettingDirect(config, QStringLiteral("PIN"), QStringLiteral("98765"));
        form.Load();
        QCOMPARE(form.options().pin, QStringLiteral("987"));

        // Text without a leading number selects Mode2 and leaves Mode at 0.
        SaveSettingDirect(config, QStringLiteral("Mode"), QStringLiteral("x"));
        form.Load();
        QVERIFY(child<QRadioButton>("optMode_2")->isChecked());
        QCOMPARE(form.options().mode, 0);
    }

    void twoLineLimit() {
        startEngine(
            {{QStringLiteral("A"), 28u}, {QStringLiteral("B"), 28u}, {QStringLiteral("C"), 28u}});
        frmSetup& form = openForm();
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        for (int i = 0; i < 3; ++i) {
            box(i)->setFocus(Qt::TabFocusReason);
            QTest::keyClick(box(i), Qt::Key_Space);
            QVERIFY(box(i)->isChecked());
        }
        QCOMPARE(Setting("Line2", "Param1"), QStringLiteral("<missing>"));
        // Tab leaves the third box: it is unchecked, and unchecking rewrites that line's keys.
        QTest::keyClick(box(2), Qt::Key_Tab);
        QTRY_VERIFY(!box(2)->hasFocus());
        QVERIFY(box(0)->isChecked());
        QVERIFY(box(1)->isChecked());
        QVERIFY(!box(2)->isChecked());
        for (int p = 1; p <= 6; ++p)
            QCOMPARE(ReadSetting(QStringLiteral("Line2"), QStringLiteral("Param%1").arg(p)),
                     QStringLiteral("6500"));
        QCOMPARE(Setting("Line2", "Calls"), QStringLiteral("50"));
        QCOMPARE(Setting("Line0", "Param1"), QStringLiteral("<missing>"));

        // A click on Save takes the focus first, so a third line never gets saved.
        box(2)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box(2), Qt::Key_Space);
        QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
        QCOMPARE(Setting("Config", "Line2"), QStringLiteral("0"));
        QCOMPARE(Setting("Config", "Line0"), QStringLiteral("1"));
    }

    void saveWritesJournalInOrder() {
        startEngine({{QStringLiteral("Voice Modem"), 28u}, {QStringLiteral("Data"), 16u}});
        frmSetup& form = openForm();
        clickBox(0);
        child<QLineEdit>("txtPin")->setText(QStringLiteral("42"));
        child<QCheckBox>("chkStartUp")->setChecked(true);
        child<QCheckBox>("chkUnknown")->setChecked(true);
        child<QRadioButton>("optMode_2")->setChecked(true);
        QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);

        const QStringList expected = {
            QStringLiteral("Config@Line0@1"),
            QStringLiteral("Config@Line1@0"),
            QStringLiteral("Config@Line2@0"),
            QStringLiteral("Config@Line3@0"),
            QStringLiteral("Modem@Line0@Voice Modem  [28]"),
            QStringLiteral("Modem@Line1@Data  [16] [ Line does not support voice]"),
            QStringLiteral("Modem@Line2@"),
            QStringLiteral("Modem@Line3@"),
            QStringLiteral("Config@MinOnStart@0"),
            QStringLiteral("Config@BlockUnknown@1"),
            QStringLiteral("Config@PIN@42"),
            QStringLiteral("Config@AutoStart@1"),
            QStringLiteral("Config@Mode@2"),
        };
        QCOMPARE(journal(), expected);
        QCOMPARE(m_h->messages.texts(), QStringList{QStringLiteral("Setup Complete")});
        QCOMPARE(m_h->messages.messages().last().title, QStringLiteral("Hushwire"));
        QCOMPARE(form.options().mode, 2);
        QVERIFY(!form.isLoaded());
        QVERIFY(form.isHidden());
        QCOMPARE(m_exitTimerStarts, 1);
        QFile entry(RunEntryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(!entry.readAll().contains("Hidden=true"));

        // Loaded again and saved again: the same block once more, nothing overwritten.
        form.Load();
        QVERIFY(form.isLoaded());
        QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
        QCOMPARE(journal(), expected + expected);
    }

    // The screening options are journalled after Mode only when changed, and load back.
    void screeningOptionsSaveAndLoad() {
        startEngine({{QStringLiteral("Voice Modem"), 28u}});
        openForm();
        clickBox(0);
        child<QCheckBox>("chkUnlisted")->setChecked(true);
        child<QCheckBox>("chkQuiet")->setChecked(true);
        child<QTimeEdit>("tmeQuietFrom")->setTime(QTime(22, 30));
        child<QTimeEdit>("tmeQuietTo")->setTime(QTime(6, 45));
        child<QSpinBox>("spnCallBack")->setValue(5);
        QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
        QCOMPARE(journal().mid(journal().indexOf(QStringLiteral("Config@Mode@1")) + 1),
                 (QStringList{QStringLiteral("Config@BlockUnlisted@1"),
                              QStringLiteral("Config@QuietHours@22:30-06:45"),
                              QStringLiteral("Config@CallBackMinutes@5")}));
        EngineOptions stored;
        LoadScreeningOptions(stored);
        QCOMPARE(stored.blockUnlisted, 1);
        QCOMPARE(stored.quietHours.text(), QStringLiteral("22:30-06:45"));
        QCOMPARE(stored.callBackMinutes, 5);

        m_form->Load();
        QVERIFY(child<QCheckBox>("chkUnlisted")->isChecked());
        QCOMPARE(child<QTimeEdit>("tmeQuietTo")->time(), QTime(6, 45));
        child<QCheckBox>("chkQuiet")->setChecked(false);
        QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
        QCOMPARE(journal().last(), QStringLiteral("Config@QuietHours@"));
    }

    void saveWithoutLine() {
        startEngine({{QStringLiteral("Voice Modem"), 28u}});
        SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("AutoStart"),
                          QStringLiteral("1"));
        openForm();
        child<QCheckBox>("chkStartUp")->setChecked(false);
        QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
        QCOMPARE(m_h->messages.texts(), (QStringList{QStringLiteral("Plese select a modem"),
                                                     QStringLiteral("Setup Complete")}));
        for (const char* key : {"Line0", "Line1", "Line2", "Line3"})
            QCOMPARE(Setting("Config", key), QStringLiteral("0"));
        QCOMPARE(journal().size(), 13);
        QCOMPARE(m_exitTimerStarts, 1);
        // Switched off, the autostart entry stays, hidden.
        QFile entry(RunEntryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains("Hidden=true"));
    }

    void cancelAfterUnchecking() {
        startEngine({{QStringLiteral("Voice Modem"), 28u}});
        SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("Line0"), QStringLiteral("1"));
        frmSetup& form = openForm();
        QVERIFY(box(0)->isChecked());
        QCOMPARE(Setting("Line0", "Param1"), QStringLiteral("<missing>"));
        clickBox(0);
        QVERIFY(!box(0)->isChecked());
        QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);

        QVERIFY(!form.isLoaded());
        QCOMPARE(m_exitTimerStarts, 0);
        QCOMPARE(Setting("Config", "Line0"), QStringLiteral("1"));
        QCOMPARE(Setting("Line0", "Param6"), QStringLiteral("6500"));
        QCOMPARE(Setting("Line0", "Calls"), QStringLiteral("50"));
        QVERIFY(journal().isEmpty());
        QVERIFY(m_h->messages.texts().isEmpty());
    }

    // A chosen modem that is away when Setup is saved (its query fails, or it is beyond the
    // devices found) is not taken for a replaced one: its stored description stays, so its
    // counters survive its return.
    void saveKeepsAnAbsentModemsLine() {
        const QString description = QStringLiteral("Voice Modem  [28]");
        for (const QString& line : {QStringLiteral("Line0"), QStringLiteral("Line1")}) {
            SaveSettingDirect(QStringLiteral("Config"), line, QStringLiteral("1"));
            SaveSettingDirect(QStringLiteral("Modem"), line, description);
            SaveSettingDirect(line, QStringLiteral("Param1"), QStringLiteral("1234"));
            SaveSettingDirect(line, QStringLiteral("Calls"), QStringLiteral("7"));
        }
        startEngine({{QStringLiteral("Voice Modem"), 28u}});
        m_h->line.failOperationForDevice(QStringLiteral("lineGetDevCaps"), 0,
                                         tapi::LINEERR_NODEVICE);
        m_h->line.devices[0].lastError = QStringLiteral("The modem device is not there.");
        openForm();
        QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
        QVERIFY(journal().contains(QStringLiteral("Modem@Line0@") + description));
        QVERIFY(journal().contains(QStringLiteral("Modem@Line1@") + description));

        // Both modems back, as the next start finds them.
        startEngine({{QStringLiteral("Voice Modem"), 28u}, {QStringLiteral("Voice Modem"), 28u}});
        RecordModemChanges(DescribeLineDevices(m_h->lineDevices()));
        for (const char* line : {"Line0", "Line1"}) {
            QCOMPARE(Setting("Config", line), QStringLiteral("1"));
            QCOMPARE(Setting("Modem", line), description);
            QCOMPARE(Setting(line, "Param1"), QStringLiteral("1234"));
            QCOMPARE(Setting(line, "Calls"), QStringLiteral("7"));
        }
    }

    // A device that cannot be used says why: a port this user may not open names itself and
    // brings the note on the "dialout" group; a failed query carries the service's reason.
    void unusableDevicesSayWhy() {
        startEngine({{QStringLiteral("Voice Modem"), 28u}, {QString(), 0u}, {QString(), 0u}});
        m_h->line.devices[1].permissionDenied = true;
        m_h->line.failOperationForDevice(QStringLiteral("lineGetDevCaps"), 2,
                                         tapi::LINEERR_NODEVICE);
        m_h->line.devices[2].lastError = QStringLiteral("The modem device /dev/ttyACM2 is busy.");
        openForm();
        QCOMPARE(description(0), QStringLiteral("Voice Modem  [28]"));
        QCOMPARE(description(1),
                 QStringLiteral("/dev/ttyACM1  [no permission to open /dev/ttyACM1]"));
        QCOMPARE(description(2),
                 QStringLiteral("Invalid type of line  [The modem device /dev/ttyACM2 is busy.]"));
        QVERIFY(!box(1)->isEnabled());
        QVERIFY(!box(2)->isEnabled());
        QCOMPARE(m_h->messages.messages().size(), 1);
        const MessageRequest& m = m_h->messages.messages().first();
        QVERIFY(m.text.contains(QStringLiteral("/dev/ttyACM1")));
        QVERIFY(m.text.contains(QStringLiteral("dialout")));
    }
};

QTEST_MAIN(TestSetup)
#include "tst_setup.moc"
