// Which line number each scanned modem gets when a chosen one is not there at start.
#include "core/ModemPlaces.h"
#include "settings/SettingsStore.h"
#include "support/TestFolders.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestModemPlaces : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        UseFoldersUnder(m_dir.path());
    }

    void places_data() {
        QTest::addColumn<QStringList>("chosen");       // Config/LineN=1
        QTest::addColumn<QStringList>("descriptions"); // Modem/LineN, one per line
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QStringList>("offered");
        const QString a = QStringLiteral("/dev/serial/by-id/usb-a");
        const QString b = QStringLiteral("/dev/serial/by-id/usb-b");
        const QString da = QStringLiteral("USR 5637 (") + a + QStringLiteral(")  [28]");
        const QString db = QStringLiteral("Modem (") + b + QStringLiteral(")  [28]");
        const QString sip = QStringLiteral("SIP alice@example.net  [12]");
        QTest::newRow("late modem before a SIP line")
            << QStringList{u"0"_s, u"1"_s} << QStringList{da, sip} << QStringList{}
            << QStringList{a};
        QTest::newRow("first of two late") << QStringList{u"0"_s, u"1"_s} << QStringList{da, db}
                                           << QStringList{b} << QStringList{a, b};
        QTest::newRow("both there") << QStringList{u"0"_s, u"1"_s} << QStringList{da, db}
                                    << QStringList{a, b} << QStringList{a, b};
        QTest::newRow("not chosen")
            << QStringList{u"1"_s} << QStringList{da, db} << QStringList{b} << QStringList{b};
        // A modem no line knows is taken for the missing one's replacement, as a scan always did.
        QTest::newRow("replaced") << QStringList{u"0"_s} << QStringList{da}
                                  << QStringList{QStringLiteral("/dev/ttyACM0")}
                                  << QStringList{QStringLiteral("/dev/ttyACM0")};
        // Line 1 cannot keep its number when nothing is known of line 0.
        QTest::newRow("no place before it")
            << QStringList{u"1"_s} << QStringList{QString(), db} << QStringList{} << QStringList{};
    }
    void places() {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, descriptions);
        QFETCH(QStringList, found);
        QFETCH(QStringList, offered);
        QFile::remove(SettingsFilePath());
        for (const QString& line : chosen)
            SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("Line") + line,
                              QStringLiteral("1"));
        for (int line = 0; line < descriptions.size(); ++line)
            SaveSettingDirect(QStringLiteral("Modem"), QStringLiteral("Line%1").arg(line),
                              descriptions[line]);
        QCOMPARE(KeepChosenModemPlaces(found), offered);
    }
};

QTEST_GUILESS_MAIN(TestModemPlaces)
#include "tst_modemplaces.moc"
