// Screening with rules, only-known-callers, quiet hours and the call-back window: the verdict's
// order as a pure function, and what the engine logs and does with it in virtual time.
#include "engine/Verdict.h"
#include "rules/CallBackWindow.h"
#include "rules/RuleFiles.h"
#include "support/EngineHarness.h"
#include "support/Files.h"
#include "support/ListFolder.h"

#include <QTest>

namespace {
const QString kSuffix = QStringLiteral("                         Blocked");

RuleSet Rules(const QStringList& lines) {
    std::vector<Rule> rules;
    for (const QString& line : lines)
        rules.push_back(*ParseRule(line).rule);
    return RuleSet(std::move(rules));
}
} // namespace

class TestRuleScreening : public QObject {
    Q_OBJECT

private:
    void prepare(EngineHarness& h, const QByteArray& rules) {
        h.start();
        h.writeMessage(2000);
        h.setPublicList({5551234567.0});
        QVERIFY(WriteFileBytes(RulesPath(h.folder()), rules));
    }
    void hangUp(EngineHarness& h, uint32_t call) {
        h.waveOut.finishAll();
        h.line.hangUpFarEnd(call);
        h.time.advance(30000);
    }

private Q_SLOTS:
    void order_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("blockUnknown");
        QTest::addColumn<int>("blockUnlisted");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<int>("decider");
        QTest::addColumn<int>("rule");
        const QTime noon(12, 0);
        auto row = [&](const char* tag, const char* number, const char* name, int unknown,
                       int unlisted, QTime time, Verdict v, Decider d, int rule) {
            QTest::newRow(tag) << QString::fromLatin1(number) << QString::fromLatin1(name)
                               << unknown << unlisted << time << int(v) << int(d) << rule;
        };
        // Rules: 0 allow number 555123456?, 1 block number 800*, 2 block name "spam risk*",
        // 3 allow name mum.
        row("allow beats a listed number", "5551234567", "", 0, 0, noon, Verdict::RingsOn,
            Decider::AllowRule, 0);
        row("allow by name beats a block rule", "8005550199", "Mum", 0, 0, noon, Verdict::RingsOn,
            Decider::AllowRule, 3);
        row("listed and no rule", "5550000001", "", 0, 0, noon, Verdict::BlockedListed,
            Decider::PublicList, -1);
        row("block rule by number", "800-555-0199", "", 0, 0, noon, Verdict::BlockedListed,
            Decider::BlockRule, 1);
        row("block rule by name", "3035550100", "SPAM RISK 12", 0, 0, noon, Verdict::BlockedListed,
            Decider::BlockRule, 2);
        row("block rules leave UNKNOWN alone", "UNKNOWN", "SPAM RISK", 0, 0, noon, Verdict::RingsOn,
            Decider::Nothing, -1);
        row("BlockUnknown before rules", "UNKNOWN", "SPAM RISK", 1, 0, noon,
            Verdict::BlockedUnknown, Decider::BlockUnknown, -1);
        row("only known callers", "3035550100", "", 0, 1, noon, Verdict::BlockedListed,
            Decider::BlockUnlisted, -1);
        row("only known callers lets allowed in", "3035550100", "mum", 0, 1, noon, Verdict::RingsOn,
            Decider::AllowRule, 3);
        row("only known callers blocks UNKNOWN", "UNKNOWN", "", 0, 1, noon, Verdict::BlockedListed,
            Decider::BlockUnlisted, -1);
        row("quiet hours after midnight", "3035550100", "", 0, 0, QTime(1, 30),
            Verdict::BlockedListed, Decider::QuietHours, -1);
        row("quiet hours before midnight", "3035550100", "", 0, 0, QTime(22, 0),
            Verdict::BlockedListed, Decider::QuietHours, -1);
        row("quiet hours over", "3035550100", "", 0, 0, QTime(7, 0), Verdict::RingsOn,
            Decider::Nothing, -1);
        row("no time of day, no quiet hours", "3035550100", "", 0, 0, QTime(), Verdict::RingsOn,
            Decider::Nothing, -1);
        row("call-back window beats the list", "5550000000", "", 0, 1, noon, Verdict::RingsOn,
            Decider::CallBackWindow, -1);
    }
    void order() {
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(int, blockUnknown);
        QFETCH(int, blockUnlisted);
        QFETCH(QTime, time);
        QTemporaryDir dir;
        QVERIFY(WriteFileBytes(dir.filePath(u"public.tel"_qs),
                               PublicBytes({5551234567.0, 5550000000.0, 5550000001.0})));
        PhoneLists lists(dir.path());
        lists.LoadPhoneLists();
        const RuleSet rules = Rules({u"allow number 555123456?"_qs, u"block number 800*"_qs,
                                     u"block name \"spam risk*\""_qs, u"allow name mum"_qs});
        CallBackWindow window;
        window.open(u"5550000000"_qs, 0, 10);
        EngineOptions options;
        options.blockUnknown = blockUnknown;
        options.blockUnlisted = blockUnlisted;
        options.quietHours = *QuietHours::parse(u"22:00-07:00"_qs);
        ScreenContext context;
        context.rules = &rules;
        context.callBack = &window;
        context.nowMs = 60'000;
        context.timeOfDay = time;
        const Screening s = ScreenVerdict(number, name, lists, options, context);
        QTEST(int(s.verdict), "verdict");
        QTEST(int(s.decider), "decider");
        QTEST(s.rule, "rule");
    }

    // A block rule blocks as a listed number does, an allow rule lets a listed number ring; the
    // rule that decided follows the caller-ID line, and its hit is counted.
    void engineLogsTheRule() {
        EngineHarness h;
        prepare(h, "block number 800* call centre\nallow number 5551234567 Mum\n");
        const uint32_t blocked = h.incomingCall(0, "8005550199", "ACME");
        QCOMPARE(
            h.log.texts().mid(h.log.texts().size() - 2),
            (QStringList{u"CallerID:8005550199 [ACME]"_qs + kSuffix, u"Rule: call centre"_qs}));
        QCOMPARE(h.line.count(u"lineAnswer"_qs), 1);
        QVERIFY(h.engine->slot(0).listed);
        h.log.clear();
        const uint32_t allowed = h.incomingCall(1, "5551234567");
        QCOMPARE(h.log.texts(),
                 (QStringList{u"Line1 Ring..."_qs, u"CallerID:5551234567"_qs, u"Rule: Mum"_qs}));
        QCOMPARE(h.line.count(u"lineAnswer"_qs), 1);
        hangUp(h, blocked);
        hangUp(h, allowed);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
        const QHash<QString, RuleHit> hits = ReadRuleHits(RuleHitsPath(h.folder()));
        QCOMPARE(hits.size(), 2);
        QCOMPARE(hits.value(u"block number 800*"_qs).count, 1);
        QCOMPARE(hits.value(u"block number 800*"_qs).last, h.time.now().date());
    }

    // A modem line's rewrite turns the number into the form lists and rules hold, and the log
    // shows it so; other lines keep theirs.
    void lineRewriteBeforeScreening() {
        EngineHarness h;
        prepare(h, "block number 303555* range\n");
        h.options.lines[0].rewrite = u"1:"_qs;
        h.applyOptions();
        h.incomingCall(0, "15551234567");
        h.incomingCall(0, "13035550100");
        h.incomingCall(1, "13035550100");
        const QStringList texts = h.log.texts();
        QVERIFY(texts.contains(u"CallerID:5551234567"_qs + kSuffix));
        QVERIFY(texts.contains(u"CallerID:3035550100"_qs + kSuffix));
        QVERIFY(texts.contains(u"CallerID:13035550100"_qs));
        QCOMPARE(texts.count(u"Rule: range"_qs), 1);
    }

    // A hand-edited line that is no rule is named in the log once, and the rules around it work.
    void badLineReportedOnce() {
        EngineHarness h;
        prepare(h, "# rules\nblok number 900*\nblock number 900*\n");
        h.incomingCall(0, "9005550100");
        h.incomingCall(1, "9005550101");
        const QStringList texts = h.log.texts();
        QCOMPARE(texts.filter(u"rules.txt line 2"_qs).size(), 1);
        QCOMPARE(texts.count(u"Rule: block number 900*"_qs), 2);
    }

    // The correct PIN opens the caller's window on every line: the next call rings through with
    // "Call-back window" until the minutes are over.
    void callBackWindowOpensOnThePin() {
        EngineHarness h;
        prepare(h, "");
        h.options.pin = u"12"_qs;
        h.options.callBackMinutes = 10;
        h.applyOptions();
        const uint32_t first = h.incomingCall(0, "5551234567");
        h.line.digit(first, u'1');
        h.line.digit(first, u'2');
        h.time.advance(3000);
        h.waveOut.finishAll();
        h.time.advance(500);
        QCOMPARE(h.log.timeOf(u"UnLock PIN Detected"_qs) > 0, true);
        hangUp(h, first);

        h.log.clear();
        const uint32_t second = h.incomingCall(2, "5551234567");
        QCOMPARE(h.log.texts().mid(1),
                 (QStringList{u"CallerID:5551234567"_qs, u"Call-back window"_qs}));
        QCOMPARE(h.line.count(u"lineAnswer"_qs), 1);
        hangUp(h, second);

        h.time.advance(10 * 60'000);
        h.log.clear();
        h.incomingCall(1, "5551234567");
        QCOMPARE(h.log.texts().mid(1), QStringList{u"CallerID:5551234567"_qs + kSuffix});
    }

    // A robot that keys nothing gains nothing; a window of 0 minutes never opens.
    void noPinNoWindow() {
        EngineHarness h;
        prepare(h, "");
        h.options.pin = u"12"_qs;
        h.options.callBackMinutes = 0;
        h.applyOptions();
        const uint32_t first = h.incomingCall(0, "5551234567");
        h.line.digit(first, u'1');
        h.line.digit(first, u'2');
        h.time.advance(3000);
        hangUp(h, first);
        h.log.clear();
        h.incomingCall(0, "5551234567");
        QCOMPARE(h.log.texts().mid(1), QStringList{u"CallerID:5551234567"_qs + kSuffix});
    }

    // Quiet hours follow the engine's clock: blocked inside, ringing once they are over.
    void quietHoursInVirtualTime() {
        EngineHarness h; // virtual time starts at 15:04:05
        prepare(h, "");
        h.options.quietHours = *QuietHours::parse(u"15:00-16:00"_qs);
        h.applyOptions();
        const uint32_t inside = h.incomingCall(0, "3035550100");
        QCOMPARE(h.log.texts().last(), u"CallerID:3035550100"_qs + kSuffix);
        hangUp(h, inside);
        h.time.advance(60 * 60'000);
        h.incomingCall(0, "3035550100");
        QCOMPARE(h.log.texts().last(), u"CallerID:3035550100"_qs);
        QCOMPARE(h.line.count(u"lineAnswer"_qs), 1);
    }
};

QTEST_GUILESS_MAIN(TestRuleScreening)
#include "tst_rulescreening.moc"
