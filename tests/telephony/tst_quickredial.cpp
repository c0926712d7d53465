// A call that rings in within milliseconds of the line being hung up on the previous caller: it
// is offered once, screened on its own caller ID, and never hung up by what is left of the
// previous call's drop.

#include "support/FakeModem.h"
#include "support/ModemEngineRig.h"

#include <QtTest>

namespace {

const QString kBlocked = QString(25, QLatin1Char(' ')) + QStringLiteral("Blocked");

} // namespace

class TestQuickRedial : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nextCallRightAfterHangUp_data();
    void nextCallRightAfterHangUp();
};

void TestQuickRedial::nextCallRightAfterHangUp_data() {
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<bool>("hungUpOn"); // the first caller hangs up during the message
    QTest::newRow("friend") << QByteArray("5550000000") << false << false;
    QTest::newRow("telemarketer again") << QByteArray("5551234567") << true << false;
    QTest::newRow("after a hang-up in the message") << QByteArray("5551234567") << true << true;
}

void TestQuickRedial::nextCallRightAfterHangUp() {
    QFETCH(QByteArray, number);
    QFETCH(bool, listed);
    QFETCH(bool, hungUpOn);
    FakeModem modem;
    QVERIFY(modem.start({QStringLiteral("--chipset"), QStringLiteral("usr")}));
    ModemEngineRig rig(modem.device);
    // A mono 8-bit 8000 Hz message of 1.5 s.
    QVERIFY(rig.writeMessage(wavwriter::PcmWav(1, 8000, 8, QByteArray(1500 * 8, char(0x80)))));
    QVERIFY(rig.open());
    QVERIFY(QTest::qWaitFor([&] { return modem.receivedContains(QStringLiteral("CID=1")); }, 5000));

    // A listed caller is answered and hung up on; the next caller rings the moment the line is
    // back on hook. Unlisted, it rings on twice; listed, it is answered before its next ring.
    // After a hang-up in the message its caller ID comes a little later, so that the end of
    // the first message is noticed while the second call rings.
    modem.script(QByteArray("ring\nwait 200\ncid NMBR=5551234567 NAME=TELEMARKETER\n") +
                 (hungUpOn ? "waitfor AT+VTX\nwait 300\nbusy\nwaitfor ATH\nring\nwait 600\n"
                           : "waitfor ATH\nring\n") +
                 "cid NMBR=" + number + " NAME=NEXT" +
                 (listed ? QByteArray() : QByteArray("\nwait 1500\nring\nwait 1500\nring")));
    const QString second = QStringLiteral("CallerID:%1 [NEXT]").arg(QLatin1String(number));
    QVERIFY2(QTest::qWaitFor([&] { return rig.log.texts().filter(second).size() == 1; }, 15000),
             qPrintable(rig.log.texts().join(QLatin1Char('\n'))));
    const int answers = listed ? 2 : 1;
    QVERIFY(QTest::qWaitFor(
        [&] { return modem.received().filter(QStringLiteral("VLS=1")).size() == answers; }, 10000));
    QTest::qWait(listed ? 4000 : 3500); // the rings (and a message) run their course

    const QStringList log = rig.log.texts();
    const QString all = log.join(QLatin1Char('\n'));
    QVERIFY2(log.filter(QStringLiteral("Line0 Ring...")).size() == 2, qPrintable(all));
    QVERIFY2(log.filter(second).size() == 1, qPrintable(all));
    QCOMPARE(log.filter(kBlocked).size(), answers);
    if (listed) {
        QVERIFY(log.contains(second + kBlocked));
        // The second caller hears the whole message before the line hangs up.
        const QStringList ends = modem.logLines().filter(QStringLiteral("EV vtx end"));
        QVERIFY2(!ends.isEmpty() && ends.last().endsWith(QLatin1String("complete")),
                 qPrintable(ends.join(QLatin1Char('\n'))));
    }
    // The second call is never taken off hook unless it is blocked.
    QCOMPARE(modem.received().filter(QStringLiteral("VLS=1")).size(), answers);
    rig.engine.CloseTelephony();
}

QTEST_GUILESS_MAIN(TestQuickRedial)
#include "tst_quickredial.moc"
