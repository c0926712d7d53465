// What the line service makes of the text and bytes a modem sends, without a modem.

#include "settings/SettingsStore.h"
#include "telephony/LineApi.h"
#include "telephony/LineStructWriter.h"
#include "telephony/LineStructs.h"
#include "telephony/modem/CallerIdParser.h"
#include "telephony/modem/DeviceDiscovery.h"
#include "telephony/modem/DeviceReturn.h"
#include "telephony/modem/ModemStreamParser.h"
#include "telephony/modem/ModemWaveOut.h"
#include "telephony/modem/VoiceFormatChoice.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestModemParsing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void streamSplitsLinesAndEvents_data();
    void streamSplitsLinesAndEvents();
    void callerIdReports_data();
    void callerIdReports();
    void voiceFormatChoice_data();
    void voiceFormatChoice();
    void dleDoubling();
    void callInfoThatDoesNotFit();
    void deviceScanIsStableAndWithoutDuplicates();
    void deviceReturnThroughAFolderThatWentToo();
};

// Feeds the chunks one read at a time; records lines as "L:<text>", keys as "K<key>" and
// other events as "E<code>".
static QList<QByteArray> Parse(const QList<QByteArray>& chunks) {
    QList<QByteArray> out;
    ModemStreamParser p;
    p.onLine = [&](const QByteArray& l) { out << "L:" + l; };
    p.onDtmf = [&](char k) { out << QByteArray("K") + k; };
    p.onEvent = [&](char c) { out << QByteArray("E") + c; };
    for (const QByteArray& c : chunks)
        p.feed(c);
    return out;
}

void TestModemParsing::streamSplitsLinesAndEvents_data() {
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QList<QByteArray>>("expected");
    const char dle = 0x10;
    QTest::newRow("lines split anywhere")
        << QList<QByteArray>{"\r\nRI", "NG\r\n\r\nNMBR = 55", "5\r\n"}
        << QList<QByteArray>{"L:RING", "L:NMBR = 555"};
    QTest::newRow("DLE split across reads")
        << QList<QByteArray>{QByteArray("OK\r\n") + dle, "5", QByteArray(1, dle), "b"}
        << QList<QByteArray>{"L:OK", "K5", "Eb"};
    QTest::newRow("framed key counts once")
        << QList<QByteArray>{QByteArray() + dle + '/' + dle + '7' + dle + '7',
                             QByteArray() + dle + '7' + dle + '~' + dle + '7'}
        << QList<QByteArray>{"K7", "K7"};
    QTest::newRow("framed key sent bare")
        << QList<QByteArray>{QByteArray() + dle + '/' + "999" + dle + '~' + "\r\nOK\r\n"}
        << QList<QByteArray>{"K9", "L:OK"};
    QTest::newRow("doubled DLE is data")
        << QList<QByteArray>{QByteArray() + dle + dle + "X\r\n"} << QList<QByteArray>{"L:X"};
    QTest::newRow("overlong garbage dropped")
        << QList<QByteArray>{QByteArray(600, 'x'), QByteArray(600, 'y') + "\r\nRING\r\n"}
        << QList<QByteArray>{"L:RING"};
}

void TestModemParsing::streamSplitsLinesAndEvents() {
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QList<QByteArray>, expected);
    QCOMPARE(Parse(chunks), expected);
}

void TestModemParsing::callerIdReports_data() {
    using Part = CallerId::Part;
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<bool>("complete"); // the last line completed the report
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("numberText");
    QTest::addColumn<int>("name");
    QTest::addColumn<QByteArray>("nameText");
    QTest::newRow("spaced") << QList<QByteArray>{"DATE = 1207", "TIME = 0512", "NMBR = 5551234567",
                                                 "NAME = SMITH JOHN"}
                            << true << int(Part::Present) << QByteArray("5551234567")
                            << int(Part::Present) << QByteArray("SMITH JOHN");
    QTest::newRow("no spaces") << QList<QByteArray>{"DATE=1207", "NMBR=+1 (555) 123-4567", "NAME=X"}
                               << true << int(Part::Present) << QByteArray("+1 (555) 123-4567")
                               << int(Part::Present) << QByteArray("X");
    QTest::newRow("private, anonymous, out of area")
        << QList<QByteArray>{"NMBR = A", "NAME = O"} << true << int(Part::Private) << QByteArray()
        << int(Part::OutOfArea) << QByteArray();
    QTest::newRow("second number masked")
        << QList<QByteArray>{"NMBR = 5551112222", "MESG = 060342", "NMBR = O"} << false
        << int(Part::Present) << QByteArray("5551112222") << int(Part::Absent) << QByteArray();
    QTest::newRow("DDN_NMBR and NBR")
        << QList<QByteArray>{"DDN_NMBR= 4165550000", "NBR = 999"} << false << int(Part::Present)
        << QByteArray("4165550000") << int(Part::Absent) << QByteArray();
    QTest::newRow("name before number waits")
        << QList<QByteArray>{"NAME = EARLY"} << false << int(Part::Absent) << QByteArray()
        << int(Part::Present) << QByteArray("EARLY");
}

void TestModemParsing::callerIdReports() {
    QFETCH(QList<QByteArray>, lines);
    QFETCH(bool, complete);
    QFETCH(int, number);
    QFETCH(QByteArray, numberText);
    QFETCH(int, name);
    QFETCH(QByteArray, nameText);
    CallerIdParser parser;
    QCOMPARE(parser.feed("RING"), CallerIdParser::Feed::NotCallerId);
    QCOMPARE(parser.feed("OK"), CallerIdParser::Feed::NotCallerId);
    QVERIFY(!parser.pending());
    CallerIdParser::Feed last = CallerIdParser::Feed::NotCallerId;
    for (const QByteArray& l : lines)
        last = parser.feed(l);
    QCOMPARE(last == CallerIdParser::Feed::Complete, complete);
    QVERIFY(parser.pending());
    const CallerId id = parser.take();
    QCOMPARE(int(id.number), number);
    QCOMPARE(id.numberText, numberText);
    QCOMPARE(int(id.name), name);
    QCOMPARE(id.nameText, nameText);
    QVERIFY(!parser.pending());
    // The next report starts afresh.
    parser.feed("NMBR = 1");
    QCOMPARE(parser.take().numberText, QByteArray("1"));
}

void TestModemParsing::voiceFormatChoice_data() {
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("muLaw");
    QTest::newRow("usr") << QList<QByteArray>{R"(128,"8-BIT LINEAR",(7200,8000,11025))",
                                              R"(131,"G.711U",8000)"}
                         << 128 << false;
    QTest::newRow("conexant skips signed")
        << QList<QByteArray>{R"(0,"SIGNED PCM",8,0,(7200,8000,11025),0,(0))",
                             R"(130,"UNSIGNED PCM",8,0,(7200,8000,11025),0,(0))",
                             R"(131,"G.711 MU-LAW",8,0,(8000),0,(0))"}
        << 130 << false;
    QTest::newRow("mu-law when linear lacks 8000")
        << QList<QByteArray>{R"(1,"8-BIT LINEAR",(11025))", R"(4,"G.711U",8000)"} << 4 << true;
    QTest::newRow("only 16-bit and ADPCM")
        << QList<QByteArray>{R"(2,"16-BIT LINEAR",(8000))", R"(5,"4-BIT ADPCM",(8000))"} << -1
        << false;
    QTest::newRow("garbage") << QList<QByteArray>{"what?", ""} << -1 << false;
}

void TestModemParsing::voiceFormatChoice() {
    QFETCH(QList<QByteArray>, lines);
    QFETCH(int, number);
    QFETCH(bool, muLaw);
    const VoiceFormatChoice c = ChooseVoiceFormat(lines);
    QCOMPARE(c.number, number);
    if (c.valid())
        QCOMPARE(c.format == ModemVoiceFormat::MuLaw, muLaw);
}

void TestModemParsing::dleDoubling() {
    const QByteArray in = QByteArray("a\x10") + char(0x10) + "b" + char(0x03);
    QCOMPARE(ModemWaveOut::EscapeDle(in), QByteArray("a\x10\x10\x10\x10") + "b" + char(0x03));
}

void TestModemParsing::callInfoThatDoesNotFit() {
    LineCall call;
    call.handle = 7;
    call.lineHandle = 0x100;
    call.hasCallerId = true;
    call.callerId.number = CallerId::Part::Present;
    call.callerId.numberText = "5551234567";
    call.callerId.name = CallerId::Part::Present;
    call.callerId.nameText = QByteArray(40, 'N');
    // Room for the number but not the name: the name is left out, not cut.
    std::vector<uint8_t> buf(lineabi::callinfo::kFixedSize + 20, 0xAA);
    lineabi::writeU32(buf.data(), 0, uint32_t(buf.size()));
    QVERIFY(LineStructWriter::WriteCallInfo(buf.data(), call));
    namespace ci = lineabi::callinfo;
    QCOMPARE(lineabi::readU32(buf.data(), ci::dwCallerIDFlags), tapi::LINECALLPARTYID_ADDRESS);
    QCOMPARE(lineabi::readU32(buf.data(), ci::dwCallerIDNameSize), 0u);
    QCOMPARE(lineabi::readU32(buf.data(), lineabi::kNeededSize),
             uint32_t(ci::kFixedSize + 11 + 41));
    QCOMPARE(lineabi::readU32(buf.data(), lineabi::kUsedSize), uint32_t(ci::kFixedSize + 11));
    // Too small for the fixed part: refused.
    lineabi::writeU32(buf.data(), 0, 100);
    QVERIFY(!LineStructWriter::WriteCallInfo(buf.data(), call));
}

void TestModemParsing::deviceScanIsStableAndWithoutDuplicates() {
    QTemporaryDir dev;
    QDir d(dev.path());
    QVERIFY(d.mkpath(QStringLiteral("serial/by-id")));
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0"}) {
        QFile f(d.filePath(QLatin1String(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::link(d.filePath(QStringLiteral("ttyACM0")),
                        d.filePath(QStringLiteral("serial/by-id/usb-US_Robotics_5637-if00"))));
    const QStringList found = DeviceDiscovery::ScanDevices(dev.path());
    QCOMPARE(found,
             (QStringList{d.filePath(QStringLiteral("serial/by-id/usb-US_Robotics_5637-if00")),
                          d.filePath(QStringLiteral("ttyUSB2")),
                          d.filePath(QStringLiteral("ttyUSB10"))}));
    QCOMPARE(SplitDeviceSetting(QStringLiteral(" /dev/a ;; /dev/b;")),
             (QStringList{QStringLiteral("/dev/a"), QStringLiteral("/dev/b")}));

    // The setting, when present, names the devices in its own order.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    {
        QSettings s(SettingsFilePath(), QSettings::IniFormat);
        s.setValue(QStringLiteral("Telephony/Devices"), QStringLiteral("/dev/ttyUSB1;/dev/ttyS0"));
    }
    QVERIFY(SettingsFilePath().startsWith(config.path() + QStringLiteral("/hushwire/")));
    QCOMPARE(ReadDevicesSetting(),
             (QStringList{QStringLiteral("/dev/ttyUSB1"), QStringLiteral("/dev/ttyS0")}));
    qunsetenv("XDG_CONFIG_HOME");
}

void TestModemParsing::deviceReturnThroughAFolderThatWentToo() {
    // udev removes /dev/serial/by-id with the last link in it and makes it again later.
    QTemporaryDir dev;
    QDir d(dev.path());
    QVERIFY(d.mkpath(QStringLiteral("serial/by-id")));
    const QString path = d.filePath(QStringLiteral("serial/by-id/usb-modem-if00"));
    DeviceReturn back;
    int calls = 0;
    QObject::connect(&back, &DeviceReturn::mayBeBack, [&] { ++calls; });
    back.watch(path);
    QVERIFY(d.removeRecursively() || !d.exists(QStringLiteral("serial")));
    QVERIFY(QDir().mkpath(dev.path() + QStringLiteral("/serial/by-id")));
    QTest::qWait(100);
    QCOMPARE(calls, 0);
    QFile node(path);
    QVERIFY(node.open(QIODevice::WriteOnly));
    QVERIFY(QTest::qWaitFor([&] { return calls > 0; }, 3000));
}

QTEST_GUILESS_MAIN(TestModemParsing)
#include "tst_modemparsing.moc"
