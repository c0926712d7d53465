// Loading the two phone-list tables from their files and looking caller numbers up in them.
#include "lists/ListFiles.h"
#include "lists/PhoneLists.h"
#include "lists/PublicText.h"
#include "support/ListFolder.h"
#include "support/ReferenceLists.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <limits>

namespace {
QByteArray privateBytes(const QList<QPair<QString, QString>>& entries) {
    QByteArray data;
    for (const auto& [name, number] : entries)
        data += EncodePrivateRecord(MakePrivateEntry(name, number));
    return data;
}

} // namespace

class TestPhoneLists : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString pub() const { return m_dir.filePath(QStringLiteral("public.tel")); }
    QString prv() const { return m_dir.filePath(QStringLiteral("private.txt")); }

private Q_SLOTS:
    void init() {
        QFile::remove(pub());
        QFile::remove(prv());
    }

    void missingFilesAreCreatedEmpty() {
        PhoneLists lists(m_dir.path());
        lists.LoadPhoneLists();
        QCOMPARE(lists.publicCount(), 0);
        QCOMPARE(lists.privateCount(), 0);
        QCOMPARE(QFileInfo(pub()).size(), 0);
        QCOMPARE(QFileInfo(prv()).size(), 0);
        QCOMPARE(lists.PublicList().at(0), 0.0);
        QVERIFY(lists.PrivateList().at(0).isTerminator());
        QCOMPARE(lists.PrivateList().at(0).Number, QString(20, QChar(0)));
        QCOMPARE(lists.PublicList().size(), size_t(50001));
        QCOMPARE(lists.PrivateList().size(), size_t(10001));
    }

    void publicFileLimits_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("expected");
        QTest::newRow("zero ends the list") << PublicBytes({5551234, 0, 777, 888}) << 1;
        QTest::newRow("truncated last record") << PublicBytes({1, 2, 3}) + QByteArray(5, 'x') << 3;
        QTest::newRow("shorter than one record") << QByteArray(7, '\x01') << 0;
        QTest::newRow("negative zero ends the list") << PublicBytes({4, -0.0, 5}) << 1;
        std::vector<double> full(50000);
        for (size_t i = 0; i < full.size(); ++i)
            full[i] = double(1000000 + i);
        QTest::newRow("exactly full") << PublicBytes(full) << 50000;
        full.resize(50003, 42.0);
        QTest::newRow("over capacity") << PublicBytes(full) << 50000;
    }
    void publicFileLimits() {
        QFETCH(QByteArray, data);
        QFETCH(int, expected);
        QVERIFY(WriteFileBytes(pub(), data));
        PhoneLists lists(m_dir.path());
        lists.LoadPhoneLists();
        QCOMPARE(lists.publicCount(), expected);
        QCOMPARE(lists.PublicList().at(size_t(expected)), 0.0);
        if (expected > 0)
            QCOMPARE(lists.PublicList().at(0), DecodePublicRecord(data.constData()));
    }

    void privateFileLimits() {
        QList<QPair<QString, QString>> entries;
        for (int i = 0; i < 10005; ++i)
            entries.append({QStringLiteral("Name %1").arg(i), QString::number(5550000 + i)});
        QVERIFY(WriteFileBytes(prv(), privateBytes(entries) + QByteArray(20, 'z')));
        PhoneLists lists(m_dir.path());
        lists.LoadPhoneLists();
        QCOMPARE(lists.privateCount(), 10000);
        QVERIFY(lists.PrivateList().at(10000).isTerminator());
        QCOMPARE(lists.PrivateList().at(9999).Number, QStringLiteral("5559999").leftJustified(20));
        QVERIFY(lists.MatchesPrivate(QStringLiteral("5559999")));
        QVERIFY(!lists.MatchesPrivate(QStringLiteral("5560000")));
    }

    void privateRecordContents() {
        // A blank number does not end the list; an all-NUL number does. NUL bytes elsewhere and
        // Latin-1 letters are kept as characters.
        QByteArray data = privateBytes({{QStringLiteral("Ren\u00e9e"), QStringLiteral("5551234")},
                                        {QStringLiteral("Blank"), QString()}});
        QByteArray withNul =
            EncodePrivateRecord(MakePrivateEntry(QStringLiteral("x"), QStringLiteral("12")));
        withNul[3] = '\0';
        withNul[32] = '\0';
        data += withNul;
        data += QByteArray(30, 'N') + QByteArray(20, '\0');
        data += privateBytes({{QStringLiteral("After"), QStringLiteral("999")}});
        QVERIFY(WriteFileBytes(prv(), data));
        PhoneLists lists(m_dir.path());
        lists.LoadPhoneLists();
        QCOMPARE(lists.privateCount(), 3);
        QCOMPARE(lists.PrivateList().at(0).Name, QStringLiteral("Ren\u00e9e").leftJustified(30));
        QCOMPARE(lists.PrivateList().at(1).Number, QString(20, QLatin1Char(' ')));
        QCOMPARE(lists.PrivateList().at(2).Number.left(3), QStringLiteral("12") + QChar(0));
        QVERIFY(lists.MatchesPrivate(QStringLiteral("12") + QChar(0)));
        QVERIFY(!lists.MatchesPrivate(QStringLiteral("999")));
    }

    void reloadAfterShrinking() {
        QVERIFY(WriteFileBytes(pub(), PublicBytes({1, 2, 3, 4, 5})));
        PhoneLists lists(m_dir.path());
        lists.LoadPhoneLists();
        QCOMPARE(lists.publicCount(), 5);
        QVERIFY(WriteFileBytes(pub(), PublicBytes({1, 2})));
        lists.LoadPhoneLists();
        QCOMPARE(lists.publicCount(), 2);
        QCOMPARE(lists.PublicList().at(2), 0.0);
        QVERIFY(!lists.MatchesPublic(QStringLiteral("4")));
    }

    void unopenableFilesGiveEmptyLists() {
        // A folder that does not exist, and list "files" that are folders: nothing can be opened.
        PhoneLists missing(m_dir.filePath(QStringLiteral("no/such/folder")));
        missing.LoadPhoneLists();
        QCOMPARE(missing.publicCount(), 0);
        QCOMPARE(missing.privateCount(), 0);

        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("dirs/public.tel")));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("dirs/private.txt")));
        PhoneLists dirs(m_dir.filePath(QStringLiteral("dirs")));
        dirs.LoadPhoneLists();
        QCOMPARE(dirs.publicCount(), 0);
        QCOMPARE(dirs.privateCount(), 0);
        QVERIFY(!dirs.MatchesPublic(QString()));
    }

    void readOnlyFileStillLoads() {
        QVERIFY(WriteFileBytes(pub(), PublicBytes({8005551212.0})));
        QFile::setPermissions(pub(), QFile::ReadOwner);
        PhoneLists lists(m_dir.path());
        lists.LoadPhoneLists();
        QFile::setPermissions(pub(), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(lists.publicCount(), 1);
    }

    void matching_data() {
        QTest::addColumn<double>("entry");
        QTest::addColumn<QString>("caller");
        QTest::addColumn<bool>("matches");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("own entry") << 8005551212.0 << u"8005551212"_qs << true;
        QTest::newRow("taken-over entry") << -8005551212.0 << u"8005551212"_qs << true;
        QTest::newRow("no sign in caller text") << -8005551212.0 << u"-8005551212"_qs << false;
        QTest::newRow("leading zero lost") << 123456789.0 << u"0123456789"_qs << false;
        QTest::newRow("leading zero lost, digits") << 123456789.0 << u"123456789"_qs << true;
        QTest::newRow("punctuation kept") << 5551234.0 << u"555-1234"_qs << false;
        QTest::newRow("largest plain") << 999999999999999.0 << u"999999999999999"_qs << true;
        QTest::newRow("1e15 is not digits") << 1e15 << u"1000000000000000"_qs << false;
        QTest::newRow("1e15 text") << 1e15 << u"1E+15"_qs << true;
        QTest::newRow("fraction") << 1.5 << u"1.5"_qs << true;
        QTest::newRow("fraction not digits") << 1.5 << u"15"_qs << false;
        QTest::newRow("rounds to digits") << 123456789012345.6 << u"123456789012346"_qs << true;
        QTest::newRow("NaN") << nan << u"0"_qs << false;
        QTest::newRow("NaN empty") << nan << QString() << false;
        QTest::newRow("inf") << inf << u"1"_qs << false;
        QTest::newRow("empty caller") << 5.0 << QString() << false;
    }
    void matching() {
        QFETCH(double, entry);
        QFETCH(QString, caller);
        QFETCH(bool, matches);
        QVERIFY(WriteFileBytes(pub(), PublicBytes({entry})));
        QVERIFY(WriteFileBytes(
            prv(), privateBytes({{QStringLiteral("Joe"), QStringLiteral("  5551234  ")}})));
        PhoneLists lists(m_dir.path());
        lists.LoadPhoneLists();
        QCOMPARE(lists.publicCount(), 1);
        QCOMPARE(lists.MatchesPublic(caller), matches);
        QCOMPARE(ReferenceMatchesPublic(lists, caller), matches);
        QVERIFY(lists.MatchesPrivate(QStringLiteral("5551234")));
        QVERIFY(!lists.MatchesPrivate(QStringLiteral("15551234")));
        QVERIFY(!lists.MatchesPrivate(QStringLiteral(" 5551234")));
    }

    // The index must give the verdict of the plain linear rule for every kind of entry value.
    void indexAgreesWithLinearRule() {
        QRandomGenerator rng(20261206);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        for (int round = 0; round < 6; ++round) {
            std::vector<double> values;
            QStringList candidates{QString(), u"UNKNOWN"_qs, u"0"_qs, u"NAN"_qs, u"INF"_qs};
            for (int i = 0; i < 300; ++i) {
                const qint64 digits = rng.bounded(qint64(1), qint64(999999999999999));
                double v = 0;
                switch (rng.bounded(7)) {
                case 0:
                    v = double(digits);
                    break;
                case 1:
                    v = -double(digits);
                    break;
                case 2:
                    v = double(digits) + rng.generateDouble();
                    break;
                case 3:
                    v = double(digits) * 1e3 * (1 + rng.bounded(1000));
                    break;
                case 4:
                    v = rng.generateDouble() * 10;
                    break;
                case 5:
                    v = i % 2 ? nan : std::numeric_limits<double>::infinity();
                    break;
                default:
                    v = double(rng.bounded(100000));
                    break;
                }
                if (v == 0)
                    v = 7;
                values.push_back(v);
                const QString text = QString::number(digits);
                candidates << PublicMatchText(v) << PublicDisplayText(v) << text << u"0"_qs + text
                           << text + u"0"_qs << QString::number(digits + 1);
            }
            // Entries after an early terminator must not match.
            if (round % 3 == 0)
                values.insert(values.begin() + 150, 0.0);
            QVERIFY(WriteFileBytes(pub(), PublicBytes(values)));

            QList<QPair<QString, QString>> privateEntries;
            for (int i = 0; i < 60; ++i) {
                const QString number = QString::number(rng.bounded(10000000));
                const QString padded = i % 3 == 0   ? u"00"_qs + number
                                       : i % 3 == 1 ? u" "_qs + number
                                                    : number;
                privateEntries.append({QStringLiteral("N%1").arg(i), padded});
                candidates << number << padded << padded.trimmed() << u"00"_qs + number;
            }
            QVERIFY(WriteFileBytes(prv(), privateBytes(privateEntries)));

            PhoneLists lists(m_dir.path());
            lists.LoadPhoneLists();
            for (const QString& caller : std::as_const(candidates)) {
                QCOMPARE(lists.MatchesPublic(caller), ReferenceMatchesPublic(lists, caller));
                QCOMPARE(lists.MatchesPrivate(caller), ReferenceMatchesPrivate(lists, caller));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestPhoneLists)
#include "tst_phonelists.moc"
