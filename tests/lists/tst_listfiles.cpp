// Byte layout of the list-file records, the record writers, and the text forms of public entries.
#include "lists/ListFiles.h"
#include "lists/PhoneLists.h"
#include "lists/PublicText.h"
#include "platform/SafeWrite.h"
#include "support/ListFolder.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

class TestListFiles : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void publicRecordBytes() {
        QCOMPARE(EncodePublicRecord(1.0), QByteArray::fromHex("000000000000f03f"));
        QCOMPARE(EncodePublicRecord(-2.0), QByteArray::fromHex("00000000000000c0"));
        // 8005551212 as an IEEE double, little-endian.
        QCOMPARE(EncodePublicRecord(8005551212.0), QByteArray::fromHex("0000c046b0d2fd41"));
        const QByteArray bytes = QByteArray::fromHex("0000c046b0d2fd41");
        QCOMPARE(DecodePublicRecord(bytes.constData()), 8005551212.0);
    }

    void privateRecordBytes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("padded") << u"JOHN DOE"_qs << u"5551234"_qs
                                << QByteArray("JOHN DOE") + QByteArray(22, ' ') + "5551234" +
                                       QByteArray(13, ' ');
        QTest::newRow("cut") << QString(40, QLatin1Char('n')) << QString(25, QLatin1Char('9'))
                             << QByteArray(30, 'n') + QByteArray(20, '9');
        QTest::newRow("latin-1") << u"Ren\u00e9e"_qs << u""_qs
                                 << QByteArray("Ren\xe9") + "e" + QByteArray(25, ' ') +
                                        QByteArray(20, ' ');
    }
    void privateRecordBytes() {
        QFETCH(QString, name);
        QFETCH(QString, number);
        QFETCH(QByteArray, expected);
        const PrivateEntry entry = MakePrivateEntry(name, number);
        QCOMPARE(entry.Name.size(), 30);
        QCOMPARE(entry.Number.size(), 20);
        const QByteArray record = EncodePrivateRecord(entry);
        QCOMPARE(record, expected);
        const PrivateEntry back = DecodePrivateRecord(record.constData());
        QCOMPARE(back.Name, entry.Name);
        QCOMPARE(back.Number, entry.Number);
    }

    void recordWritersPlaceRecords() {
        const QString pub = m_dir.filePath(u"public.tel"_qs);
        const QString prv = m_dir.filePath(u"private.txt"_qs);
        QString error;
        QVERIFY(WritePublicRecord(pub, 0, 111, &error));
        QVERIFY(WritePublicRecord(pub, 1, -222, &error));
        QVERIFY(WritePublicRecord(pub, 0, 333, &error)); // overwrites in place
        QCOMPARE(ReadFileBytes(pub), EncodePublicRecord(333) + EncodePublicRecord(-222));
        QVERIFY(WritePrivateRecord(prv, 0, MakePrivateEntry(u"A"_qs, u"1"_qs), &error));
        QVERIFY(WritePrivateRecord(prv, 1, MakePrivateEntry(u"B"_qs, u"2"_qs), &error));
        QCOMPARE(ReadFileBytes(prv).size(), 100);

        PhoneLists lists(m_dir.path());
        lists.LoadPhoneLists();
        QCOMPARE(lists.publicCount(), 2);
        QVERIFY(lists.MatchesPublic(u"222"_qs));
        QCOMPARE(lists.privateCount(), 2);
        QCOMPARE(lists.PrivateList().at(1).Name.trimmed(), u"B"_qs);
    }

    void rewritesReplaceWholeFile() {
        const QString pub = m_dir.filePath(u"rewrite.tel"_qs);
        const QString prv = m_dir.filePath(u"rewrite.txt"_qs);
        QString error;
        QVERIFY(RewritePublicFile(pub, {1, 2, 3, 4}, &error));
        QVERIFY(RewritePublicFile(pub, {5}, &error));
        QCOMPARE(ReadFileBytes(pub), EncodePublicRecord(5));
        QVERIFY(RewritePrivateFile(prv, {MakePrivateEntry(u"X"_qs, u"9"_qs)}, &error));
        QVERIFY(RewritePrivateFile(prv, {}, &error));
        QCOMPARE(ReadFileBytes(prv).size(), 0);
        QVERIFY(QFile::exists(prv));
    }

    void writeFailuresAreReported() {
        const QString missing = m_dir.filePath(u"no/such/folder/public.tel"_qs);
        QString error;
        QVERIFY(!WritePublicRecord(missing, 0, 1, &error));
        QVERIFY2(error.contains(missing), qPrintable(error));
        error.clear();
        QVERIFY(!RewritePrivateFile(missing, {MakePrivateEntry(u"a"_qs, u"1"_qs)}, &error));
        QVERIFY2(error.contains(missing), qPrintable(error));
        error.clear();
        QVERIFY(!WritePublicRecord(m_dir.filePath(u"neg.tel"_qs), -1, 1, &error));
        QVERIFY(!error.isEmpty());
        // A folder in the way of the target: nothing is replaced and the failure is returned.
        QVERIFY(QDir(m_dir.path()).mkpath(u"taken"_qs));
        QVERIFY(!WriteFileAtomically(m_dir.filePath(u"taken"_qs), "data", &error));
        QVERIFY(QFileInfo(m_dir.filePath(u"taken"_qs)).isDir());
    }

    void publicTexts_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("match");
        QTest::addColumn<QString>("display");
        QTest::newRow("digits") << 8005551212.0 << u"8005551212"_qs << u"8005551212"_qs;
        QTest::newRow("negative") << -8005551212.0 << u"8005551212"_qs << u"-8005551212"_qs;
        QTest::newRow("largest plain")
            << 999999999999999.0 << u"999999999999999"_qs << u"999999999999999"_qs;
        QTest::newRow("1e15") << 1e15 << u"1E+15"_qs << u"1E+15"_qs;
        QTest::newRow("fraction") << -1.5 << u"1.5"_qs << u"-1.5"_qs;
        QTest::newRow("small") << 0.25 << u"0.25"_qs << u"0.25"_qs;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << u"NAN"_qs << u"NAN"_qs;
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << u"INF"_qs
                              << u"-INF"_qs;
    }
    void publicTexts() {
        QFETCH(double, value);
        QFETCH(QString, match);
        QFETCH(QString, display);
        QCOMPARE(PublicMatchText(value), match);
        QCOMPARE(PublicDisplayText(value), display);
    }

    // The match text is the C library's 15-digit general form of |v| for any finite value.
    void matchTextIsFifteenDigitGeneralForm() {
        std::setlocale(LC_NUMERIC, "C");
        QRandomGenerator rng(7);
        for (int i = 0; i < 20000; ++i) {
            const double v = std::ldexp(rng.generateDouble() + 0.5, rng.bounded(-60, 80));
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.15G", v);
            QCOMPARE(PublicMatchText(v), QString::fromLatin1(buffer));
            QCOMPARE(PublicMatchText(-v), QString::fromLatin1(buffer));
        }
    }
};

QTEST_GUILESS_MAIN(TestListFiles)
#include "tst_listfiles.moc"
