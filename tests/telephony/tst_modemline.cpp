// The modem line service against the project's modem emulator on a pseudo-terminal.

#include "support/ModemLineRig.h"

#include "settings/SettingsStore.h"

#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

class TestModemLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void probeReportsNameAndMediaModes_data();
    void probeReportsNameAndMediaModes();
    void portsThatAreNoModemFail();
    void portAccess();
    void callerIdVariants_data();
    void callerIdVariants();
    void ringsAndSilentEnd();
    void answerDigitsAndFarEndHangUp_data();
    void answerDigitsAndFarEndHangUp();
    void dropOfAnsweredCall();
    void dropOfUnansweredCallLeavesLineAlone();
    void olderAnswerCommands_data();
    void olderAnswerCommands();
    void callWaitingCallerIdIsNoCall();
    void twoModemsFromTheSettingsFile();
};

void TestModemLine::probeReportsNameAndMediaModes_data() {
    QTest::addColumn<QString>("chipset");
    QTest::addColumn<QString>("identity");
    QTest::addColumn<uint32_t>("modes");
    QTest::newRow("usr") << "usr"
                         << "U.S. Robotics 56K Voice Faxmodem" << 0x1Cu;
    QTest::newRow("conexant") << "conexant"
                              << "Conexant HSF" << 0x1Cu;
    QTest::newRow("v253") << "v253"
                          << "Generic V.253 Voice Modem" << 0x1Cu;
    QTest::newRow("data only") << "data"
                               << "56K Data Fax Modem" << 0x10u;
}

void TestModemLine::probeReportsNameAndMediaModes() {
    QFETCH(QString, chipset);
    QFETCH(QString, identity);
    QFETCH(uint32_t, modes);
    FakeModem modem;
    QVERIFY(modem.start({QStringLiteral("--chipset"), chipset, QStringLiteral("--echo")}));
    ModemLineService service({modem.device});
    NoticeRecorder rec;
    uint32_t app = 0, count = 0;
    QCOMPARE(service.lineInitialize(&app, rec.callback(), QStringLiteral("Hushwire"), &count), 0);
    std::vector<uint8_t> caps(lineabi::devcaps::kBufferSize);
    lineabi::writeU32(caps.data(), 0, uint32_t(caps.size()));
    QCOMPARE(service.lineGetDevCaps(app, 0, ModemLineService::kApiVersion, 0, caps.data()), 0);
    QCOMPARE(lineabi::readU32(caps.data(), lineabi::devcaps::dwMediaModes), modes);
    const uint32_t size = lineabi::readU32(caps.data(), lineabi::devcaps::dwLineNameSize);
    const uint32_t offset = lineabi::readU32(caps.data(), lineabi::devcaps::dwLineNameOffset);
    QVERIFY(size > 1 && offset >= lineabi::devcaps::kFixedSize);
    const QString name = QString::fromLatin1(reinterpret_cast<const char*>(caps.data() + offset));
    QVERIFY2(name.contains(identity) && name.contains(modem.device), qPrintable(name));
    // The same device gives the same name again (the setup window compares them).
    QCOMPARE(service.lineGetDevCaps(app, 0, ModemLineService::kApiVersion, 0, caps.data()), 0);
    QCOMPARE(QString::fromLatin1(reinterpret_cast<const char*>(caps.data() + offset)), name);
}

void TestModemLine::portsThatAreNoModemFail() {
    // A terminal nobody answers on.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0);
    QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
    const QString silent = QString::fromLatin1(ptsname(master));
    ModemLineService service({silent, QStringLiteral("/dev/hushwire-no-such-modem")});
    ModemTimings t;
    t.commandTimeoutMs = 300;
    service.setTimings(t);
    NoticeRecorder rec;
    uint32_t app = 0, count = 0, line = 0;
    QCOMPARE(service.lineInitialize(&app, rec.callback(), QStringLiteral("Hushwire"), &count), 0);
    QCOMPARE(count, 2u);
    std::vector<uint8_t> caps(lineabi::devcaps::kBufferSize);
    lineabi::writeU32(caps.data(), 0, uint32_t(caps.size()));
    QVERIFY(service.lineGetDevCaps(app, 0, ModemLineService::kApiVersion, 0, caps.data()) < 0);
    QVERIFY2(service.lastError(0).contains(QLatin1String("does not answer")),
             qPrintable(service.lastError(0)));
    QVERIFY(service.lineOpen(app, 1, &line, ModemLineService::kApiVersion, 0, 0, 6, 8, nullptr) <
            0);
    QVERIFY2(service.lastError(1).contains(QLatin1String("does not exist")),
             qPrintable(service.lastError(1)));
    ::close(master);

    // A device file the user may not open names the group that grants access.
    if (::geteuid() != 0) {
        QTemporaryFile locked;
        QVERIFY(locked.open());
        locked.setPermissions(QFileDevice::Permissions());
        ModemLineService s2({locked.fileName()});
        QCOMPARE(s2.lineInitialize(&app, rec.callback(), QStringLiteral("Hushwire"), &count), 0);
        QVERIFY(s2.lineOpen(app, 0, &line, ModemLineService::kApiVersion, 0, 0, 6, 8, nullptr) < 0);
        QVERIFY2(s2.lastError(0).contains(QLatin1String("dialout")), qPrintable(s2.lastError(0)));
    }

    // A modem another program holds is reported as busy, by name.
    ModemLineRig rig;
    QVERIFY(rig.open());
    ModemLineService other({rig.modem.device});
    QCOMPARE(other.lineInitialize(&app, rec.callback(), QStringLiteral("Hushwire"), &count), 0);
    QVERIFY(other.lineOpen(app, 0, &line, ModemLineService::kApiVersion, 0, 0, 6, 8, nullptr) < 0);
    QVERIFY2(other.lastError(0).contains(QLatin1String("busy")) &&
                 other.lastError(0).contains(rig.modem.device),
             qPrintable(other.lastError(0)));
}

// The service as LineAccess names each device's port, and counts as forbidden only an existing
// port this user may not read and write.
void TestModemLine::portAccess() {
    QTemporaryDir dir;
    const QString open = dir.filePath(QStringLiteral("ttyOpen"));
    const QString closed = dir.filePath(QStringLiteral("ttyClosed"));
    for (const QString& path : {open, closed}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::setPermissions(closed, QFileDevice::Permissions()));
    ModemLineService service({open, closed, dir.filePath(QStringLiteral("missing"))});
    const LineAccess& access = service;
    QVERIFY(!access.isPermissionDenied(0));
    QVERIFY(!access.isPermissionDenied(2)); // missing is another problem
    QVERIFY(!access.isPermissionDenied(7));
    QCOMPARE(access.devicePath(1), closed);
    QCOMPARE(access.devicePath(7), QString());
    if (::geteuid() == 0)
        QSKIP("root may open every file");
    QVERIFY(access.isPermissionDenied(1));
}

void TestModemLine::callerIdVariants_data() {
    QTest::addColumn<QString>("chipset");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<uint32_t>("flags");
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("name");
    const uint32_t address = tapi::LINECALLPARTYID_ADDRESS;
    const uint32_t name = tapi::LINECALLPARTYID_NAME;
    QTest::newRow("number and name")
        << "v253" << QByteArray("ring\ncid NMBR=5551234567 NAME=SMITH JOHN") << (address | name)
        << QByteArray("5551234567") << QByteArray("SMITH JOHN");
    QTest::newRow("no spaces, #CID modem")
        << "usr" << QByteArray("ring\ncid nospace NMBR=5551234567 NAME=SMITH") << (address | name)
        << QByteArray("5551234567") << QByteArray("SMITH");
    QTest::newRow("private") << "v253" << QByteArray("ring\ncid NMBR=P NAME=P")
                             << tapi::LINECALLPARTYID_BLOCKED << QByteArray() << QByteArray();
    QTest::newRow("anonymous") << "v253" << QByteArray("ring\ncid NMBR=A")
                               << tapi::LINECALLPARTYID_BLOCKED << QByteArray() << QByteArray();
    QTest::newRow("out of area") << "v253" << QByteArray("ring\ncid NMBR=O NAME=O")
                                 << tapi::LINECALLPARTYID_OUTOFAREA << QByteArray() << QByteArray();
    QTest::newRow("number only") << "v253" << QByteArray("ring\ncid NMBR=555-123-4567") << address
                                 << QByteArray("555-123-4567") << QByteArray();
    QTest::newRow("DDN_NMBR with MESG")
        << "conexant" << QByteArray("ring\ncid NMBR=4165550000 NAME=ACME DDN MESG")
        << (address | name) << QByteArray("4165550000") << QByteArray("ACME");
    QTest::newRow("number twice") << "v253" << QByteArray("ring\ncid NMBR=5551112222 twice")
                                  << address << QByteArray("5551112222") << QByteArray();
    QTest::newRow("before the first ring")
        << "v253" << QByteArray("cid before NMBR=5553334444 NAME=EARLY\nwait 300\nring")
        << (address | name) << QByteArray("5553334444") << QByteArray("EARLY");
}

void TestModemLine::callerIdVariants() {
    QFETCH(QString, chipset);
    QFETCH(QByteArray, script);
    QFETCH(uint32_t, flags);
    QFETCH(QByteArray, number);
    QFETCH(QByteArray, name);
    ModemLineRig rig;
    QVERIFY(rig.open({QStringLiteral("--chipset"), chipset}));
    rig.modem.script(script);
    QVERIFY(rig.rec.waitFor(tapi::LINE_CALLINFO));
    QTest::qWait(400); // a late duplicate would show up now
    QCOMPARE(rig.rec.count(tapi::LINE_CALLINFO, tapi::LINECALLINFOSTATE_CALLERID), 1);
    const int offered = rig.rec.indexOf(tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_OFFERING);
    QVERIFY(offered >= 0);
    QVERIFY(offered < rig.rec.indexOf(tapi::LINE_CALLINFO, tapi::LINECALLINFOSTATE_CALLERID));
    QCOMPARE(rig.rec.callStates(tapi::LINECALLSTATE_OFFERING), 1);
    const uint32_t call = rig.rec.offeredCall();
    QCOMPARE(rig.rec.notices[size_t(rig.rec.indexOf(tapi::LINE_CALLINFO, 0x8000))].device, call);

    const auto info = rig.callInfo(call);
    QVERIFY(!info.empty());
    namespace ci = lineabi::callinfo;
    QCOMPARE(lineabi::readU32(info.data(), ci::hLine), rig.line);
    QCOMPARE(lineabi::readU32(info.data(), ci::dwCallerIDFlags), flags);
    QCOMPARE(rig.text(info, ci::dwCallerIDSize, ci::dwCallerIDOffset), number);
    QCOMPARE(rig.text(info, ci::dwCallerIDNameSize, ci::dwCallerIDNameOffset), name);
}

void TestModemLine::ringsAndSilentEnd() {
    ModemLineRig rig;
    ModemTimings t = FastTimings();
    t.ringTimeoutMs = 700;
    QVERIFY(rig.open({}, t));
    rig.modem.script("ring\nwait 300\nring");
    QVERIFY(QTest::qWaitFor([&] { return rig.rec.count(tapi::LINE_LINEDEVSTATE, 2) == 2; }, 3000));
    std::vector<uint32_t> ringCounts;
    for (const Notice& n : rig.rec.notices)
        if (n.message == tapi::LINE_LINEDEVSTATE) {
            QCOMPARE(n.device, rig.line);
            ringCounts.push_back(n.p3);
        }
    QCOMPARE(ringCounts, (std::vector<uint32_t>{1, 2}));
    QCOMPARE(rig.rec.callStates(tapi::LINECALLSTATE_OFFERING), 1);
    // The caller gives up: no more rings, and the call ends by itself without a hang-up.
    QVERIFY(rig.rec.waitForCallState(tapi::LINECALLSTATE_IDLE, 3000));
    QCOMPARE(rig.rec.callStates(tapi::LINECALLSTATE_DISCONNECTED), 0);
    QVERIFY(!rig.modem.receivedContains(QStringLiteral("ATH")));
    QCOMPARE(rig.service->lineDeallocateCall(rig.rec.offeredCall()), 0);
    // The next ring is a new call.
    rig.modem.script("ring");
    QVERIFY(QTest::qWaitFor([&] { return rig.rec.callStates(tapi::LINECALLSTATE_OFFERING) == 2; },
                            3000));
}

void TestModemLine::answerDigitsAndFarEndHangUp_data() {
    QTest::addColumn<QString>("chipset");
    QTest::addColumn<QByteArray>("hangUp");
    QTest::newRow("usr, busy tone") << "usr" << QByteArray("busy");
    QTest::newRow("conexant echoing, dial tone") << "conexant" << QByteArray("dialtone");
    QTest::newRow("v253, loop current") << "v253" << QByteArray("loop");
}

void TestModemLine::answerDigitsAndFarEndHangUp() {
    QFETCH(QString, chipset);
    QFETCH(QByteArray, hangUp);
    ModemLineRig rig;
    QStringList args{QStringLiteral("--chipset"), chipset};
    if (QByteArray(QTest::currentDataTag()).contains("echoing"))
        args << QStringLiteral("--echo");
    QVERIFY(rig.open(args));
    const uint32_t call = rig.answeredCall();
    QVERIFY(call != 0);
    QVERIFY(rig.modem.receivedContains(QStringLiteral("AT+FCLASS=8")));
    QVERIFY(rig.modem.receivedContains(QStringLiteral("AT+VLS=1")));
    const bool usr = chipset == QLatin1String("usr");
    if (usr) // sent right after going off hook, as the modem reports no keys without it
        QVERIFY(QTest::qWaitFor(
            [&] { return rig.modem.receivedContains(QStringLiteral("AT#VTD")); }, 3000));

    // The wave-out device of the call: line device 0, as 4 bytes right after the fixed part.
    std::vector<uint8_t> id(lineabi::varstring::kBufferSize, 0xEE);
    lineabi::writeU32(id.data(), 0, uint32_t(id.size()));
    QCOMPARE(rig.service->lineGetID(rig.line, 0, call, tapi::LINECALLSELECT_CALL, id.data(),
                                    QStringLiteral("wave/out")),
             0);
    QCOMPARE(lineabi::readU32(id.data(), lineabi::varstring::dwStringOffset), 24u);
    QCOMPARE(lineabi::readU32(id.data(), 24), 0u);

    QCOMPARE(rig.service->lineMonitorDigits(call, tapi::LINEDIGITMODE_DTMF), 0);
    // Plain keys, a held (framed) key, and a DLE whose code comes in the next read.
    rig.modem.script("dtmf 12#\ndtmf-framed 5\nraw \\x10\nwait 100\nraw 7");
    auto digits = [&] {
        QByteArray d;
        for (const Notice& n : rig.rec.notices)
            if (n.message == tapi::LINE_MONITORDIGITS)
                d.append(char(n.p1 & 0xFFFF));
        return d;
    };
    QVERIFY(QTest::qWaitFor([&] { return digits().size() >= 5; }, 5000));
    QTest::qWait(200);
    QCOMPARE(digits(), QByteArray("12#57"));

    rig.modem.script(hangUp);
    QVERIFY(rig.rec.waitForCallState(tapi::LINECALLSTATE_DISCONNECTED));
    // The program drops the call as it does after a far-end hang-up.
    QVERIFY(rig.service->lineDrop(call, "", 0) > 0);
    QVERIFY(rig.rec.waitForCallState(tapi::LINECALLSTATE_IDLE));
    QCOMPARE(rig.rec.callStates(tapi::LINECALLSTATE_DISCONNECTED), 1);
    const QStringList rx = rig.modem.received();
    const qsizetype hang = rx.indexOf(QStringLiteral("ATH0"));
    QVERIFY(hang > 0);
    QVERIFY(rx.mid(hang).contains(QStringLiteral("AT+FCLASS=0")));
    QVERIFY(rx.mid(hang).last().contains(QStringLiteral("CID=1")));
    QCOMPARE(rx.join(QLatin1Char(' ')).contains(QLatin1String("AT#VTD")), usr);
}

void TestModemLine::dropOfAnsweredCall() {
    ModemLineRig rig;
    QVERIFY(rig.open());
    const uint32_t call = rig.answeredCall();
    QVERIFY(call != 0);
    const size_t before = rig.rec.notices.size();
    QVERIFY(rig.service->lineDrop(call, "", 0) > 0);
    QCOMPARE(rig.rec.notices.size(), before); // nothing from inside the call
    QVERIFY(rig.rec.waitForCallState(tapi::LINECALLSTATE_IDLE));
    QVERIFY(rig.rec.indexOf(tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_DISCONNECTED) <
            rig.rec.indexOf(tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_IDLE));
    // A second drop of the same call changes nothing.
    rig.service->lineDrop(call, "", 0);
    QTest::qWait(200);
    QCOMPARE(rig.rec.callStates(tapi::LINECALLSTATE_DISCONNECTED), 1);
    QCOMPARE(rig.rec.callStates(tapi::LINECALLSTATE_IDLE), 1);
    QVERIFY(rig.modem.receivedContains(QStringLiteral("ATH0")));
    QCOMPARE(rig.service->lineDeallocateCall(call), 0);
    QVERIFY(rig.service->lineGetCallInfo(call, std::vector<uint8_t>(400).data()) < 0);
}

void TestModemLine::dropOfUnansweredCallLeavesLineAlone() {
    ModemLineRig rig;
    QVERIFY(rig.open());
    rig.modem.script("ring\ncid NMBR=5550001111 NAME=UNLISTED");
    QVERIFY(rig.rec.waitFor(tapi::LINE_CALLINFO));
    const uint32_t call = rig.rec.offeredCall();
    const int commandsBefore = int(rig.modem.received().size());
    const size_t before = rig.rec.notices.size();
    QVERIFY(rig.service->lineDrop(call, "", 0) > 0);
    QCOMPARE(rig.rec.notices.size(), before);
    QVERIFY(rig.rec.waitForCallState(tapi::LINECALLSTATE_IDLE));
    QCOMPARE(rig.rec.callStates(tapi::LINECALLSTATE_DISCONNECTED), 1);
    QTest::qWait(300);
    // Not a single command: going off hook would have picked the call up.
    QCOMPARE(int(rig.modem.received().size()), commandsBefore);
    QVERIFY(!rig.modem.receivedContains(QStringLiteral("ATH")));
    QVERIFY(!rig.modem.receivedContains(QStringLiteral("VLS")));
}

void TestModemLine::olderAnswerCommands_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("offHook");
    QTest::newRow("AT#VLS") << QByteArray() << "AT#VLS=0A";
    QTest::newRow("ATA") << QByteArray("fail #VLS") << "ATA";
}

void TestModemLine::olderAnswerCommands() {
    QFETCH(QByteArray, script);
    QFETCH(QString, offHook);
    ModemLineRig rig;
    QVERIFY(rig.open({QStringLiteral("--chipset"), QStringLiteral("legacy")}));
    if (!script.isEmpty())
        rig.modem.script(script);
    uint32_t call = rig.answeredCall();
    QVERIFY(call != 0);
    QCOMPARE(rig.modem.received().filter(QStringLiteral("AT+VLS=1")).size(), 1);
    QVERIFY(rig.modem.received().contains(offHook));
    // The next call goes straight to the command this modem took.
    QVERIFY(rig.service->lineDrop(call, "", 0) > 0);
    QVERIFY(rig.rec.waitForCallState(tapi::LINECALLSTATE_IDLE));
    QCOMPARE(rig.service->lineDeallocateCall(call), 0);
    rig.rec.notices.clear();
    call = rig.answeredCall();
    QVERIFY(call != 0);
    QCOMPARE(rig.modem.received().filter(QStringLiteral("AT+VLS=1")).size(), 1);
    QCOMPARE(rig.modem.received().filter(offHook).size(), 2);
}

void TestModemLine::callWaitingCallerIdIsNoCall() {
    ModemLineRig rig;
    ModemTimings t = FastTimings();
    t.heldCallerIdMs = 600;
    QVERIFY(rig.open({}, t));
    const int commands = int(rig.modem.received().size());
    // Someone talks on an extension; a second caller's ID arrives with no ring.
    rig.modem.script("cid NMBR=5551234567 NAME=WAITING");
    QTest::qWait(1000);
    QVERIFY(rig.rec.notices.empty());
    QCOMPARE(int(rig.modem.received().size()), commands);
    // A ring after the hold has run out is a new call, without that caller ID.
    rig.modem.script("ring");
    QVERIFY(rig.rec.waitForCallState(tapi::LINECALLSTATE_OFFERING));
    QTest::qWait(300);
    QCOMPARE(rig.rec.count(tapi::LINE_CALLINFO, tapi::LINECALLINFOSTATE_CALLERID), 0);
}

void TestModemLine::twoModemsFromTheSettingsFile() {
    FakeModem first, second;
    QVERIFY(first.start());
    QVERIFY(second.start());
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    auto writeSetting = [&](const QString& line) {
        QDir().mkpath(QFileInfo(SettingsFilePath()).path());
        QFile f(SettingsFilePath());
        return f.open(QIODevice::WriteOnly) &&
               f.write(QStringLiteral("[Telephony]\n%1\n").arg(line).toUtf8()) > 0;
    };
    // The list form, as README shows it, and the quoted form older set-ups used.
    QVERIFY(writeSetting(QStringLiteral("Devices=%1, %2").arg(first.device, second.device)));
    const QStringList devices = ReadDevicesSetting();
    QCOMPARE(devices, (QStringList{first.device, second.device}));
    QVERIFY(writeSetting(QStringLiteral("Devices=\"%1;%2\"").arg(first.device, second.device)));
    QCOMPARE(ReadDevicesSetting(), devices);
    qunsetenv("XDG_CONFIG_HOME");

    ModemLineService service(devices);
    service.setTimings(FastTimings());
    NoticeRecorder rec;
    uint32_t app = 0, count = 0, line0 = 0, line1 = 0;
    QCOMPARE(service.lineInitialize(&app, rec.callback(), QStringLiteral("Hushwire"), &count), 0);
    QCOMPARE(count, 2u);
    QCOMPARE(service.lineOpen(app, 0, &line0, ModemLineService::kApiVersion, 0, 0, 6, 8, nullptr),
             0);
    QCOMPARE(service.lineOpen(app, 1, &line1, ModemLineService::kApiVersion, 0, 0, 6, 8, nullptr),
             0);
    QVERIFY(
        QTest::qWaitFor([&] { return second.receivedContains(QStringLiteral("CID=1")); }, 5000));
    second.script("ring");
    QVERIFY(QTest::qWaitFor([&] { return rec.count(tapi::LINE_LINEDEVSTATE, 2) == 1; }, 3000));
    QCOMPARE(rec.notices[size_t(rec.indexOf(tapi::LINE_LINEDEVSTATE, 2))].device, line1);
}

QTEST_GUILESS_MAIN(TestModemLine)
#include "tst_modemline.moc"
