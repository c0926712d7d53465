// The settings store: text values by section and key in the per-user INI file, the journal of
// logged saves, and failed writes reported instead of lost silently.
#include "settings/SettingsStore.h"
#include "support/MessageRecorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsStore : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<QTemporaryDir> m_app;
    QString journalPath() const { return m_app->filePath(u"settings.txt"_qs); }
    QByteArray journal() const {
        QFile f(journalPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init() {
        m_config = std::make_unique<QTemporaryDir>();
        m_app = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
        qputenv("HUSHWIRE_APPFOLDER", m_app->path().toLocal8Bit());
    }

    void fileIsNamedAfterTheExecutable() {
        const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        QCOMPARE(ApplicationName(), name);
        QCOMPARE(SettingsFilePath(), m_config->path() + u"/hushwire/"_qs + name + u".conf"_qs);
        QVERIFY(SaveSettingDirect(u"Config"_qs, u"Mode"_qs, u"2"_qs));
        QFile file(SettingsFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY2(text.contains("[Config]") && text.contains("Mode=2"), text.constData());
    }

    void missingValuesGiveTheDefault() {
        QCOMPARE(ReadSetting(u"Config"_qs, u"Mode"_qs, u"1"_qs), u"1"_qs);
        QCOMPARE(ReadSetting(u"Config"_qs, u"PIN"_qs), QString());
        QVERIFY(SaveSettingDirect(u"Config"_qs, u"Mode"_qs, u"2"_qs));
        QCOMPARE(ReadSetting(u"Modem"_qs, u"Mode"_qs, u"none"_qs), u"none"_qs);
        QCOMPARE(ReadSetting(u"Config"_qs, u"mode"_qs, u"none"_qs), u"none"_qs);
    }

    void valuesRoundTripExactly_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("trailing space") << u"1 "_qs;
        QTest::newRow("empty") << u""_qs;
        QTest::newRow("at sign") << u"@x"_qs;
        QTest::newRow("journal separator") << u"a@b@c"_qs;
        QTest::newRow("spaces") << u"  spaced out  "_qs;
        QTest::newRow("comma") << u"a, b"_qs;
        QTest::newRow("latin-1") << u"Ren\u00e9e"_qs;
        QTest::newRow("ini syntax") << u"[Config] x=1 ; y"_qs;
        QTest::newRow("device description") << u"/dev/ttyACM0 - U.S. Robotics USB Modem (voice)"_qs;
    }
    void valuesRoundTripExactly() {
        QFETCH(QString, value);
        QVERIFY(SaveSettingDirect(u"Modem"_qs, u"Line0"_qs, value));
        QVERIFY(SaveSettingDirect(u"Modem"_qs, u"Line1"_qs, u"after"_qs));
        QCOMPARE(ReadSetting(u"Modem"_qs, u"Line0"_qs, u"default"_qs), value);
        QCOMPARE(ReadSetting(u"Modem"_qs, u"Line1"_qs), u"after"_qs);
    }

    void loggedSavesAppendToTheJournal() {
        QVERIFY(SaveSettingLogged(u"Config"_qs, u"Mode"_qs, 2));
        QVERIFY(SaveSettingLogged(u"Config"_qs, u"PIN"_qs, QString()));
        QVERIFY(SaveSettingDirect(u"Config"_qs, u"Line0"_qs, u"0"_qs));
        QVERIFY(SaveSettingLogged(u"Config"_qs, u"Mode"_qs, 2));
        QCOMPARE(journal(), QByteArray("Config@Mode@2\r\nConfig@PIN@\r\nConfig@Mode@2\r\n"));
        QCOMPARE(ReadSetting(u"Config"_qs, u"Mode"_qs), u"2"_qs);
        QCOMPARE(ReadSetting(u"Config"_qs, u"PIN"_qs, u"unset"_qs), QString());
    }

    void lineCounters() {
        ResetLineCounters(2, false);
        QCOMPARE(ReadSetting(u"Line2"_qs, u"Param1"_qs), u"6500"_qs);
        QCOMPARE(ReadSetting(u"Line2"_qs, u"Calls"_qs), u"50"_qs);
        QCOMPARE(ReadSetting(u"Line2"_qs, u"Param2"_qs, u"unset"_qs), u"unset"_qs);
        ResetLineCounters(3, true);
        for (int i = 1; i <= 6; ++i)
            QCOMPARE(ReadSetting(u"Line3"_qs, u"Param"_qs + QString::number(i)), u"6500"_qs);
        QCOMPARE(ReadSetting(u"Line3"_qs, u"Calls"_qs), u"50"_qs);
        QVERIFY(!QFile::exists(journalPath()));
    }

    void settingsFileFailureIsReported() {
        // A plain file where the settings folder belongs: nothing can be stored there.
        QFile blocker(m_config->filePath(u"hushwire"_qs));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        MessageRecorder messages;
        QVERIFY(!SaveSettingLogged(u"Config"_qs, u"Mode"_qs, u"2"_qs));
        QCOMPARE(messages.messages().size(), 1);
        QCOMPARE(messages.messages().first().icon, MessageIcon::Critical);
        QCOMPARE(messages.messages().first().title, u"Hushwire"_qs);
        QVERIFY(messages.texts().first().contains(u"Config/Mode"_qs));
        // What was not stored is not journalled either.
        QVERIFY(!QFile::exists(journalPath()));
    }

    void journalFailureIsReported() {
        QVERIFY(QDir().mkpath(journalPath())); // a folder where the journal belongs
        MessageRecorder messages;
        QVERIFY(!SaveSettingLogged(u"Config"_qs, u"BlockUnknown"_qs, 1));
        QCOMPARE(messages.messages().size(), 1);
        QVERIFY2(messages.texts().first().contains(u"settings.txt"_qs),
                 qPrintable(messages.texts().first()));
        QCOMPARE(ReadSetting(u"Config"_qs, u"BlockUnknown"_qs), u"1"_qs);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
