// Screening rules on their own: what a pattern matches, what is refused and why, the rules file
// kept line by line through changes, hit counts, and files that are not rules files at all.
#include "rules/CallBackWindow.h"
#include "rules/RuleBook.h"
#include "rules/RuleFiles.h"
#include "rules/RuleSet.h"
#include "settings/QuietHours.h"
#include "support/Files.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {
Rule MustParse(const QString& line) {
    const ParsedRule parsed = ParseRule(line);
    if (!parsed.rule)
        qFatal("not a rule: %s (%s)", qPrintable(line), qPrintable(parsed.error));
    return *parsed.rule;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TestRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void patterns_data() {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        auto row = [](const char* tag, const char* rule, const char* number, const char* name,
                      bool matches) {
            QTest::newRow(tag) << QString::fromUtf8(rule) << QString::fromUtf8(number)
                               << QString::fromUtf8(name) << matches;
        };
        row("star runs over the rest", "block number 800*", "8005550199", "", true);
        row("star matches nothing too", "block number 800*", "800", "", true);
        row("prefix must lead", "block number 800*", "18005550199", "", false);
        row("question mark is one digit", "block number 555123????", "5551234567", "", true);
        row("question mark is not two", "block number 555123????", "55512345678", "", false);
        row("plus is literal", "block number +4930*", "+493012345", "", true);
        row("plus is not dropped", "block number +4930*", "493012345", "", false);
        row("separators in the pattern", "block number \"(555) 123-45.67\"", "5551234567", "",
            true);
        row("separators in the number", "block number 5551234567", "555-123-4567", "", true);
        row("star in the middle", "block number 800*99", "8005550199", "", true);
        row("names ignore case", "block name \"SPAM RISK*\" carrier tag", "", "Spam Risk 12", true);
        row("name must match whole", "block name spam", "", "spam risk", false);
        row("name wildcard one char", "block name V?", "", "v1", true);
        row("regex on a name", "block name re:V[0-9]{15}", "", "V123456789012345", true);
        row("regex on a name is whole", "block name re:V[0-9]{15}", "", "xV123456789012345", false);
        row("regex on a name ignores case", "block name re:v[0-9]{3}", "", "V123", true);
        row("regex on a number", "block number re:(800|888)[0-9]{7}", "888-555-0100", "", true);
        row("no name, no name rule", "allow name *", "5551234567", "", false);
    }
    void patterns() {
        QFETCH(QString, rule);
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        const Rule r = MustParse(rule);
        const RuleSet set({r});
        QCOMPARE(set.firstMatch(r.action, number, name) == 0, matches);
        // The other action never sees it.
        QCOMPARE(
            set.firstMatch(r.action == RuleAction::Block ? RuleAction::Allow : RuleAction::Block,
                           number, name),
            -1);
    }

    void refusedWithTheReason_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("reason");
        QTest::newRow("everyone") << "block number *"
                                  << "too broad";
        QTest::newRow("one digit") << "block number 1*"
                                   << "too broad";
        QTest::newRow("wildcards only fix nothing") << "block number ??*"
                                                    << "too broad";
        QTest::newRow("every name") << "block name \"*\""
                                    << "too broad";
        QTest::newRow("letters in a number") << "block number 800abc"
                                             << "only digits";
        QTest::newRow("bad regex") << "block name re:(unclosed"
                                   << "does not compile";
        QTest::newRow("unknown action") << "deny number 800*"
                                        << "block or allow";
        QTest::newRow("unknown field") << "block phone 800*"
                                       << "number or name";
        QTest::newRow("open quote") << "block name \"spam risk"
                                    << "closing quote";
        QTest::newRow("too many stars") << "allow name *a*b*c*d*e*"
                                        << "re:";
    }
    void refusedWithTheReason() {
        QFETCH(QString, line);
        QFETCH(QString, reason);
        const ParsedRule parsed = ParseRule(line);
        QVERIFY(!parsed.rule);
        QVERIFY2(parsed.error.contains(reason), qPrintable(parsed.error));
    }

    void broadAllowRulesAreFine() {
        QVERIFY(ParseRule(u"allow number *"_qs).rule);
        QVERIFY(ParseRule(u"block number 555*"_qs).rule);
    }

    void writtenRuleReadsBack() {
        const Rule r = MustParse(u"block  name   \"SPAM RISK*\"   carrier  tag "_qs);
        QCOMPARE(r.label, u"carrier  tag"_qs);
        QCOMPARE(r.describe(), u"carrier  tag"_qs);
        const Rule again = MustParse(r.text());
        QVERIFY(again.sameAs(r));
        QCOMPARE(again.label, r.label);
        QCOMPARE(MustParse(u"block number 800*"_qs).describe(), u"block number 800*"_qs);
    }

    // Of several matching rules the one first in the file decides, whether it is a wildcard or
    // a regular expression.
    void firstRuleInTheFileWins() {
        const RuleSet set({MustParse(u"block number re:8.*"_qs), MustParse(u"block number 800*"_qs),
                           MustParse(u"block number 8005*"_qs)});
        QCOMPARE(set.firstMatch(RuleAction::Block, u"8005550199", {}), 0);
        const RuleSet later({MustParse(u"block number 8005*"_qs),
                             MustParse(u"block number 800*"_qs),
                             MustParse(u"block number re:8.*"_qs)});
        QCOMPARE(later.firstMatch(RuleAction::Block, u"8005550199", {}), 0);
        QCOMPARE(later.firstMatch(RuleAction::Block, u"8015550199", {}), 2);
        // A regular expression with a back reference is looked at on its own.
        const RuleSet backref({MustParse(u"block number re:(\\d)\\1{5}\\d*"_qs)});
        QCOMPARE(backref.firstMatch(RuleAction::Block, u"1111119", {}), 0);
        QCOMPARE(backref.firstMatch(RuleAction::Block, u"1211119", {}), -1);
    }

    // Comments, blank lines, bad lines and the file's own line ends stay byte for byte; only the
    // line a change touches changes.
    void fileKeptLineByLine() {
        QTemporaryDir dir;
        const QString path = RulesPath(dir.path());
        const QByteArray original = "# my rules\r\n"
                                    "block number 800* call centre\r\n"
                                    "\r\n"
                                    "blok number 900*\r\n"
                                    "allow name \"Mum*\"";
        QVERIFY(WriteFileBytes(path, original));

        RulesText text;
        QVERIFY(ReadRulesText(path, &text, nullptr));
        QCOMPARE(text.bytes(), original);
        QCOMPARE(text.rules().size(), size_t(2));
        QCOMPARE(text.rules()[1].line, 5);
        QCOMPARE(text.problems().size(), size_t(1));
        QCOMPARE(text.problems()[0].line, 4);

        QString message;
        QCOMPARE(AddRule(path, MustParse(u"block number 888555*"_qs), &message), RuleEdit::Done);
        QCOMPARE(ReadAll(path), original + "\r\nblock number 888555*\r\n");
        QCOMPARE(AddRule(path, MustParse(u"block number 888-555* again"_qs), &message),
                 RuleEdit::Refused);
        QVERIFY2(message.contains(u"line 6"_qs), qPrintable(message));

        QCOMPARE(RemoveRule(path, 4, &message), RuleEdit::Refused); // the bad line is no rule
        Rule removed;
        QCOMPARE(RemoveRule(path, 2, &message, &removed), RuleEdit::Done);
        QCOMPARE(removed.label, u"call centre"_qs);
        QCOMPARE(ReadAll(path), QByteArray("# my rules\r\n\r\nblok number 900*\r\n"
                                           "allow name \"Mum*\"\r\nblock number 888555*\r\n"));
        QCOMPARE(ReplaceRule(path, 4, MustParse(u"allow name \"Mum *\" Mum"_qs), &message),
                 RuleEdit::Done);
        QCOMPARE(ReadAll(path), QByteArray("# my rules\r\n\r\nblok number 900*\r\n"
                                           "allow name \"Mum *\" Mum\r\nblock number 888555*\r\n"));
    }

    // The book reads the file again only when it changed, and names each bad line once.
    void bookReportsEachBadLineOnce() {
        QTemporaryDir dir;
        RuleBook book(dir.path());
        QVERIFY(book.refresh().empty());
        QVERIFY(book.rules().empty());
        QVERIFY(WriteFileBytes(book.path(), "block number 800*\nnonsense here\n"));
        std::vector<RuleProblem> problems = book.refresh();
        QCOMPARE(problems.size(), size_t(1));
        QCOMPARE(problems[0].line, 2);
        QCOMPARE(book.rules().rules().size(), size_t(1));
        QVERIFY(
            WriteFileBytes(book.path(), "nonsense here\nblock number 800*\nallow number 8001*\n"));
        QVERIFY(book.refresh().empty());
        QCOMPARE(book.rules().rules().size(), size_t(2));
    }

    void hitsCountedBesideTheRules() {
        QTemporaryDir dir;
        const QString hits = RuleHitsPath(dir.path());
        const Rule a = MustParse(u"block number 800* centre"_qs);
        const Rule b = MustParse(u"block name \"spam risk\""_qs);
        QVERIFY(RecordRuleHit(hits, a, QDate(2026, 12, 1), nullptr));
        QVERIFY(RecordRuleHit(hits, b, QDate(2026, 12, 2), nullptr));
        Rule relabelled = a;
        relabelled.label = u"renamed"_qs;
        QVERIFY(RecordRuleHit(hits, relabelled, QDate(2026, 12, 3), nullptr));
        const QHash<QString, RuleHit> read = ReadRuleHits(hits);
        QCOMPARE(read.value(RuleHitKey(a)).count, 2);
        QCOMPARE(read.value(RuleHitKey(a)).last, QDate(2026, 12, 3));
        QCOMPARE(read.value(RuleHitKey(b)).count, 1);
    }

    void importSkipsNumbersAlreadyAllowed() {
        QTemporaryDir dir;
        const QString path = RulesPath(dir.path());
        QVERIFY(WriteFileBytes(path, "allow number 030*\n"));
        const std::vector<Rule> contacts{MustParse(u"allow number 0301234 Anna"_qs),
                                         MustParse(u"allow number 0401234 Ben"_qs),
                                         MustParse(u"allow number 040-1234 Ben work"_qs)};
        int added = 0, skipped = 0;
        QCOMPARE(AllowNumbers(path, contacts, &added, &skipped, nullptr), RuleEdit::Done);
        QCOMPARE(added, 1);
        QCOMPARE(skipped, 2);
        QCOMPARE(ReadAll(path), QByteArray("allow number 030*\nallow number 0401234 Ben\n"));
    }

    // A megabyte of noise: no crash, and the rules among it still screen.
    void randomBytesLoadAndScreen() {
        QTemporaryDir dir;
        QByteArray noise(1 << 20, Qt::Uninitialized);
        QRandomGenerator rng(21);
        for (char& c : noise)
            c = char(rng.bounded(256));
        noise += "\nblock number 777555*\n";
        QVERIFY(WriteFileBytes(RulesPath(dir.path()), noise));
        RuleBook book(dir.path());
        book.refresh();
        QVERIFY(book.rules().firstMatch(RuleAction::Block, u"7775551234", {}) >= 0);
    }

    void quietHours() {
        const QuietHours night = *QuietHours::parse(u"22:00-07:00"_qs);
        QVERIFY(night.covers(QTime(23, 30)));
        QVERIFY(night.covers(QTime(0, 0)));
        QVERIFY(night.covers(QTime(6, 59)));
        QVERIFY(!night.covers(QTime(7, 0)));
        QVERIFY(!night.covers(QTime(21, 59)));
        const QuietHours lunch = *QuietHours::parse(u"12:00-13:30"_qs);
        QVERIFY(lunch.covers(QTime(13, 29)) && !lunch.covers(QTime(13, 30)));
        QVERIFY(!QuietHours::parse(u""_qs)->isSet());
        QVERIFY(!QuietHours::parse(u"25:00-07:00"_qs));
        QVERIFY(!QuietHours::parse(u"22:00-22:00"_qs));
        QVERIFY(!QuietHours::parse(u"10pm-7am"_qs));
        QCOMPARE(night.text(), u"22:00-07:00"_qs);
    }

    void callBackWindow() {
        CallBackWindow window;
        window.open(u"555-1234"_qs, 1000, 10);
        QVERIFY(window.isOpen(u"5551234"_qs, 1000 + 10 * 60'000 - 1));
        QVERIFY(!window.isOpen(u"5551234"_qs, 1000 + 10 * 60'000));
        QVERIFY(!window.isOpen(u"5559999"_qs, 2000));
        window.open(u"5550000"_qs, 0, 0); // switched off
        QVERIFY(!window.isOpen(u"5550000"_qs, 1));
        window.open(u"UNKNOWN"_qs, 0, 10);
        QVERIFY(!window.isOpen(u"UNKNOWN"_qs, 1));
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
