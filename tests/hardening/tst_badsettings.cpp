// A settings file that is not valid INI (binary garbage, an unterminated group, a truncated
// line, text in a foreign encoding): reading gives the defaults or what can still be read, the
// setup window loads without a crash, and a later save still works.
#include "settings/SettingsStore.h"
#include "settings/ui/frmSetup.h"
#include "support/EngineHarness.h"
#include "support/MessageRecorder.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray garbage(int size, quint32 seed) {
    QRandomGenerator rng(seed);
    QByteArray b(size, '\0');
    for (char& c : b)
        c = char(rng.bounded(256));
    return b;
}

} // namespace

class TestBadSettings : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    void writeSettings(const QByteArray& bytes) {
        const QString path = SettingsFilePath();
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        UseFoldersUnder(m_dir.path());
    }

    void setupWindowLoadsDefaults_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("binary garbage") << garbage(4096, 1);
        QTest::newRow("binary with NULs and brackets")
            << QByteArray("\0\0[\0]\xff\xfe=\x01\n\x10\x03", 12) + garbage(300, 2);
        QTest::newRow("unterminated group") << QByteArray("[Config\nMode=2\nPIN=99\n");
        QTest::newRow("group never closed, no newline") << QByteArray("[Con");
        QTest::newRow("key without value") << QByteArray("[Config]\nMode\nPIN=\nLine0\n");
        QTest::newRow("unterminated quote") << QByteArray("[Config]\nPIN=\"12\nMode=\"2");
        QTest::newRow("UTF-16 text") << QByteArray("\xff\xfe[\0C\0o\0n\0f\0i\0g\0]\0", 18);
        QTest::newRow("huge line") << QByteArray("[Config]\nPIN=") + QByteArray(1 << 20, '9');
        QTest::newRow("escapes gone wrong") << QByteArray("[Config]\nPIN=\\x\\u12\\\nMode=%");
    }
    void setupWindowLoadsDefaults() {
        QFETCH(QByteArray, content);
        writeSettings(content);
        // Reading never fails; a missing or unreadable value is the default.
        (void)ReadSetting(QStringLiteral("Config"), QStringLiteral("Mode"), QStringLiteral("1"));

        MessageRecorder messages;
        EngineHarness h(2);
        h.start({0});
        frmSetup form(h.lineDevices(), [] {});
        QVERIFY(form.isLoaded());
        // Whatever was read, the window shows options the rest of the program understands.
        const EngineOptions& options = form.options();
        QCOMPARE(form.findChild<QRadioButton*>(QStringLiteral("optMode_1"))->isChecked(),
                 options.mode == 1);
        QVERIFY(options.blockUnknown == 0 || options.blockUnknown == 1);
        QVERIFY(options.minOnStart == 0 || options.minOnStart == 1);
        QVERIFY(options.pin.size() <= EngineOptions::kPinLength);

        // Saving afterwards works and reads back: the user can repair the file from the program.
        QVERIFY2(SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("PIN"),
                                   QStringLiteral("4321")),
                 qPrintable(messages.texts().join(u'\n')));
        QCOMPARE(ReadSetting(QStringLiteral("Config"), QStringLiteral("PIN")),
                 QStringLiteral("4321"));
    }

    // A settings path that is a folder, not a file: reads give defaults, saves fail loudly.
    void settingsPathIsAFolder() {
        QFile::remove(SettingsFilePath());
        QVERIFY(QDir().mkpath(SettingsFilePath()));
        MessageRecorder messages;
        QCOMPARE(ReadSetting(QStringLiteral("Config"), QStringLiteral("Mode"), QStringLiteral("1")),
                 QStringLiteral("1"));
        QVERIFY(!SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("Mode"),
                                   QStringLiteral("2")));
        QCOMPARE(messages.texts().size(), 1);
        QDir(SettingsFilePath()).removeRecursively();
    }
};

QTEST_MAIN(TestBadSettings)
#include "tst_badsettings.moc"
