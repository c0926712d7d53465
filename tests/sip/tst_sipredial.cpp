// A caller who rings in while the program is still letting the line's last call go (its drop
// is pending) is offered once that call is idle, and screened.
#include "support/SipRig.h"
#include "support/Sipp.h"

#include <QtTest>

class TestSipRedial : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void callRightAfterFarEndHangUpIsScreened() {
        SipRig rig;
        rig.prepare(5000, 5551234567.0);
        rig.start();
        const QString listed = QStringLiteral("\"Telemarketer\" <sip:5551234567@127.0.0.1>");
        // The caller hangs up during the message.
        QVERIFY(rig.passed(
            rig.sipp(QStringLiteral("caller"), sipp::Caller(listed, {}, sipp::HangUp(1500)))));
        // At once: the whole message, then the BYE.
        rig.heard.clear();
        QVERIFY(rig.passed(
            rig.sipp(QStringLiteral("caller"), sipp::Caller(listed, {}, sipp::AwaitBye()))));
        QTRY_COMPARE(rig.heard.size(), rig.expectedAudio(ModemVoiceFormat::MuLaw).size());
        QCOMPARE(rig.log.texts().count(QStringLiteral("Line0 Ring...")), 2);
    }
};

QTEST_MAIN(TestSipRedial)
#include "tst_sipredial.moc"
