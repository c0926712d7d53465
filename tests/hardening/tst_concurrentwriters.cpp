// Several programs write the same list files at once: many command lines, an import and a list
// window beside them. Every entry each of them adds is kept, and the window shows what is on disk
// and keeps it when it writes itself. Then the command line's refusal of bad input.
#include "lists/ListFiles.h"
#include "lists/ListStore.h"
#include "lists/PhoneLists.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/PrivateListWindow.h"
#include "lists/ui/PublicListWindow.h"
#include "service/ListFileWatcher.h"
#include "support/EmulatedLine.h"
#include "support/Files.h"
#include "support/MessageRecorder.h"

#include "platform/time/VirtualTime.h"

#include <QListWidget>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

class TestConcurrentWriters : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void concurrentCommandLinesAndAWindowLoseNothing();
    void badInputExitsTwoAndChangesNothing_data();
    void badInputExitsTwoAndChangesNothing();
    void anEntryAlreadyListedIsNotWrittenTwice();

private:
    QStringList show(const QString& kind) const {
        const EmulatedLine::Result r = m_line.run({u"list"_s, u"show"_s, kind});
        return r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QProcess* start(const QStringList& args) {
        auto* p = new QProcess(this);
        p->setProcessEnvironment(m_line.environment(false));
        p->start(m_line.program(), args);
        return p;
    }

    EmulatedLine m_line;
    MessageRecorder m_messages;
};

void TestConcurrentWriters::initTestCase() {
    if (!EmulatedLine::Built())
        QSKIP("hushwire is not built");
}

void TestConcurrentWriters::concurrentCommandLinesAndAWindowLoseNothing() {
    // A window opened on the folder before the others start, as beside a running service.
    PhoneLists tables(m_line.appFolder());
    ListStore store(tables);
    store.load();
    const std::unique_ptr<ListFileWatcher> watcher = WatchListFiles(store);
    VirtualTime time;
    ListWindows windows(store, time);
    QWidget owner;
    QListWidget* publicList = windows.showPublicWindow(&owner)->findChild<QListWidget*>(u"List1"_s);
    QListWidget* privateList =
        windows.showPrivateWindow(&owner)->findChild<QListWidget*>(u"List1"_s);

    // A shared database of two taken-over numbers, imported while the adds run.
    const QString database = m_line.appFolder() + u"/shared.pnd"_s;
    QVERIFY(WriteFileBytes(database, EncodePublicFile({-8885550001.0, -8885550002.0})));

    constexpr int kEach = 40;
    QList<QProcess*> runs;
    for (int i = 0; i < kEach; ++i) {
        const QString n = QString::number(i).rightJustified(2, QLatin1Char('0'));
        runs << start({u"list"_s, u"add"_s, u"public"_s, u"80055501"_s + n});
        runs << start({u"list"_s, u"add"_s, u"private"_s, u"+4930555"_s + n, u"Caller "_s + n});
        if (i == kEach / 2)
            runs << start({u"list"_s, u"import"_s, database});
    }
    for (QProcess* run : runs) {
        QVERIFY(run->waitForFinished(60000));
        QVERIFY2(run->exitStatus() == QProcess::NormalExit && run->exitCode() == 0,
                 run->readAllStandardError().constData());
    }

    const QStringList publicShown = show(u"public"_s);
    const QStringList privateShown = show(u"private"_s);
    QCOMPARE(publicShown.size(), kEach + 2);
    QCOMPARE(privateShown.size(), kEach);
    for (int i = 0; i < kEach; ++i) {
        const QString n = QString::number(i).rightJustified(2, QLatin1Char('0'));
        QVERIFY(publicShown.contains(u"80055501"_s + n));
        QVERIFY(privateShown.contains(u"+4930555"_s + n + u"\tCaller "_s + n));
    }

    // The window has followed the files and its own edits start from them.
    QTRY_COMPARE_WITH_TIMEOUT(publicList->count(), kEach + 2, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(privateList->count(), kEach, 5000);
    QString error;
    QVERIFY(store.addPublic(8005559999.0, &error));
    QVERIFY(store.remove(ListKind::Private, 0, &error));
    QCOMPARE(show(u"public"_s).size(), kEach + 3);
    QCOMPARE(show(u"private"_s).size(), kEach - 1);
    QCOMPARE(publicList->item(0)->text(), u"8005559999"_s);
    QCOMPARE(publicList->count(), kEach + 3);
    QCOMPARE(privateList->count(), kEach - 1);

    // An entry removed elsewhere while the window shows it is not brought back by the window's
    // next edit.
    const EmulatedLine::Result removed =
        m_line.run({u"list"_s, u"remove"_s, u"public"_s, u"8005550100"_s});
    QCOMPARE(removed.status, 0);
    QVERIFY(store.addPublic(8005558888.0, &error));
    QVERIFY(!show(u"public"_s).contains(u"8005550100"_s));
    QCOMPARE(publicList->count(), kEach + 3);
    QVERIFY(m_messages.messages().isEmpty());
}

void TestConcurrentWriters::badInputExitsTwoAndChangesNothing_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("exponent") << QStringList{u"list"_s, u"add"_s, u"public"_s, u"1e300"_s};
    QTest::newRow("20 digits") << QStringList{u"list"_s, u"add"_s, u"public"_s,
                                              u"12345678901234567890"_s};
    QTest::newRow("negative") << QStringList{u"list"_s, u"add"_s, u"public"_s, u"-5"_s};
    QTest::newRow("plus on the public list")
        << QStringList{u"list"_s, u"add"_s, u"public"_s, u"+5551234"_s};
    QTest::newRow("letters in a private number")
        << QStringList{u"list"_s, u"add"_s, u"private"_s, u"555-CALL"_s};
    QTest::newRow("name longer than the list keeps") << QStringList{
        u"list"_s, u"add"_s, u"private"_s, u"5551234"_s, QString(31, QLatin1Char('n'))};
}

void TestConcurrentWriters::badInputExitsTwoAndChangesNothing() {
    QFETCH(QStringList, args);
    const QByteArray publicBefore = ReadFileBytes(m_line.appFolder() + u"/public.tel"_s);
    const QByteArray privateBefore = ReadFileBytes(m_line.appFolder() + u"/private.txt"_s);
    const EmulatedLine::Result result = m_line.run(args);
    QCOMPARE(result.status, 2);
    QVERIFY2(result.err.startsWith(u"hushwire: "_s), qPrintable(result.err));
    QCOMPARE(ReadFileBytes(m_line.appFolder() + u"/public.tel"_s), publicBefore);
    QCOMPARE(ReadFileBytes(m_line.appFolder() + u"/private.txt"_s), privateBefore);
}

void TestConcurrentWriters::anEntryAlreadyListedIsNotWrittenTwice() {
    for (const QStringList& args :
         {QStringList{u"list"_s, u"add"_s, u"public"_s, u"5557777"_s},
          QStringList{u"list"_s, u"add"_s, u"private"_s, u"5557777"_s, u"Again"_s}}) {
        QCOMPARE(m_line.run(args).status, 0);
        const QByteArray before = ReadFileBytes(m_line.appFolder() + u"/public.tel"_s) +
                                  ReadFileBytes(m_line.appFolder() + u"/private.txt"_s);
        const EmulatedLine::Result again = m_line.run(args);
        QCOMPARE(again.status, 0);
        QVERIFY2(again.out.contains(u"is already in the"_s), qPrintable(again.out));
        QCOMPARE(ReadFileBytes(m_line.appFolder() + u"/public.tel"_s) +
                     ReadFileBytes(m_line.appFolder() + u"/private.txt"_s),
                 before);
    }

    // An import file that holds no phone number is refused; one with some bad records says how
    // many it skipped.
    const QString junk = m_line.appFolder() + u"/junk.pnd"_s;
    QVERIFY(WriteFileBytes(junk, "this is not a number database\n"));
    QCOMPARE(m_line.run({u"list"_s, u"import"_s, junk}).status, 2);
    QVERIFY(WriteFileBytes(junk, EncodePublicFile({-8885550003.0, 0.5, 1e300})));
    const EmulatedLine::Result mixed = m_line.run({u"list"_s, u"import"_s, junk});
    QCOMPARE(mixed.status, 0);
    QVERIFY2(mixed.out.contains(u"2 records were skipped"_s), qPrintable(mixed.out));
}

QTEST_MAIN(TestConcurrentWriters)
#include "tst_concurrentwriters.moc"
