// Screening rules through the real programs: "hushwire rule ..." with its exit codes, a contacts
// file imported, and the running service on the modem emulator blocking callers by a number
// range and by a caller name added while it runs, with the deciding rule in its log.
#include "support/EmulatedLine.h"
#include "support/Files.h"

#include <QRegularExpression>
#include <QTest>

namespace {
QStringList Args(const char* text) {
    return QString::fromUtf8(text).split(QLatin1Char(' '));
}
} // namespace

class TestRuleCommands : public QObject {
    Q_OBJECT

private:
    EmulatedLine::Result rule(const QStringList& args) {
        return m_line.run(QStringList{QStringLiteral("rule")} + args,
                          QStringLiteral("hushwire-service"));
    }
    QByteArray rulesFile() const {
        return ReadFileBytes(m_line.appFolder() + QStringLiteral("/rules.txt"));
    }

    EmulatedLine m_line;
    QProcess m_service;
    QString m_journal;

private Q_SLOTS:
    void initTestCase() {
        if (!EmulatedLine::Built())
            QSKIP("hushwire-service and hushwire-fakemodem are not built");
        QVERIFY(m_line.start());
    }

    void commandsAndExitCodes() {
        QCOMPARE(rule(Args("add block number 800-555* call centre")).status, 0);
        QCOMPARE(
            rule({u"add"_qs, u"block"_qs, u"name"_qs, u"SPAM RISK*"_qs, u"carrier"_qs, u"tag"_qs})
                .status,
            0);
        QCOMPARE(rulesFile(), QByteArray("block number 800-555* call centre\n"
                                         "block name \"SPAM RISK*\" carrier tag\n"));

        struct Refusal {
            const char* args;
            const char* reason;
        };
        for (const Refusal& r :
             {Refusal{"add block number 800555*", "line 1"},
              Refusal{"add block number 1*", "too broad"},
              Refusal{"add block name re:(V", "does not compile"},
              Refusal{"add deny number 800*", "usage"}, Refusal{"remove 7", "holds no rule"},
              Refusal{"remove x", "usage"}, Refusal{"frob", "unknown rule command"}}) {
            const EmulatedLine::Result result = rule(Args(r.args));
            QVERIFY2(result.status == 2, r.args);
            QVERIFY2(result.err.contains(QString::fromLatin1(r.reason)), qPrintable(result.err));
        }

        const EmulatedLine::Result test = rule(Args("test 8005550111"));
        QCOMPARE(test.status, 0);
        QCOMPARE(test.out, u"blocked: rule 1: block number 800-555* (call centre)\n"_qs);
        QCOMPARE(rule({u"test"_qs, u"3035550100"_qs, u"Spam Risk"_qs}).out,
                 u"blocked: rule 2: block name \"SPAM RISK*\" (carrier tag)\n"_qs);
        QCOMPARE(rule(Args("test 3035550100")).out, u"rings: nothing matched\n"_qs);

        const EmulatedLine::Result shown = rule(Args("show"));
        QCOMPARE(shown.status, 0);
        QVERIFY2(
            shown.out.startsWith(u"1\tblock number 800-555*\tcall centre\t0 hits\tlast never\n"_qs),
            qPrintable(shown.out));
    }

    // A phone's export: folded lines, grouped and typed numbers, a quoted-printable name.
    void contactsImport() {
        const QByteArray vcf =
            "BEGIN:VCARD\r\n"
            "VERSION:2.1\r\n"
            "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BCrgen;;;\r\n"
            "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BC=\r\n"
            "ller\r\n"
            "TEL;CELL:+49 30 1234567\r\n"
            "END:VCARD\r\n"
            "BEGIN:VCARD\r\n"
            "VERSION:3.0\r\n"
            "FN:Anna L\r\n"
            " ee\r\n"
            "TEL;TYPE=CELL:(303) 555-0101\r\n"
            "item1.TEL;type=pref:303.555.0102\r\n"
            "item1.X-ABLabel:work\r\n"
            "END:VCARD\r\n"
            "BEGIN:VCARD\r\n"
            "VERSION:4.0\r\n"
            "FN:Bob\r\n"
            "TEL;VALUE=uri;TYPE=\"voice,home\":tel:+1-303-555-0101;ext=5\r\n"
            "TEL:12\r\n"
            "END:VCARD\r\n";
        const QString path = m_line.appFolder() + QStringLiteral("/contacts.vcf");
        QVERIFY(WriteFileBytes(path, vcf));
        const EmulatedLine::Result imported = rule({u"import"_qs, path});
        QCOMPARE(imported.status, 0);
        QCOMPARE(imported.out, u"4 added, 1 skipped\n"_qs);
        QVERIFY2(rulesFile().endsWith("allow number +49301234567 Jürgen Müller\n"
                                      "allow number 3035550101 Anna Lee\n"
                                      "allow number 3035550102 Anna Lee\n"
                                      "allow number +13035550101 Bob\n"),
                 rulesFile().constData());
        QCOMPARE(rule({u"import"_qs, path}).out, u"0 added, 5 skipped\n"_qs);
        QCOMPARE(rule(Args("import /nonexistent.vcf")).status, 2);
        QCOMPARE(rule(Args("test 303-555-0101")).out,
                 u"rings: rule 4: allow number 3035550101 (Anna Lee)\n"_qs);
    }

    // The running service takes up rules added after it started: a caller from the range and a
    // caller with a carrier tag in the name are blocked, each with its rule in the log.
    void runningServiceBlocksByRule() {
        m_service.setProcessEnvironment(m_line.environment(false));
        connect(&m_service, &QProcess::readyReadStandardError, this,
                [this] { m_journal += QString::fromLocal8Bit(m_service.readAllStandardError()); });
        m_service.start(m_line.program(QStringLiteral("hushwire-service")),
                        {QStringLiteral("--service")});
        QVERIFY(m_service.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_journal.contains(QStringLiteral("Line0 is ready")), 20000);
        QCOMPARE(rule(Args("add block number 888555* robo range")).status, 0);

        m_line.play("ring\nwait 800\ncid NMBR=8885550123 NAME=\"WIRELESS CALLER\"\n");
        QTRY_VERIFY_WITH_TIMEOUT(m_line.modemLogCount(QStringLiteral("EV vtx start")) == 1, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(m_line.onHook(), 30000);
        m_line.play("ring\nwait 800\ncid NMBR=3035550177 NAME=\"SPAM RISK\"\n");
        QTRY_VERIFY_WITH_TIMEOUT(m_line.modemLogCount(QStringLiteral("EV vtx start")) == 2, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(m_line.onHook(), 30000);

        const QStringList log = m_line.logLines();
        const qsizetype first =
            log.indexOf(QRegularExpression(u".*CallerID:8885550123 .*Blocked.*"_qs));
        QVERIFY2(first >= 0, qPrintable(log.join(u'\n')));
        QVERIFY(log.value(first + 1).startsWith(u"Rule: robo range  <"_qs));
        const qsizetype second =
            log.indexOf(QRegularExpression(u".*CallerID:3035550177 .*Blocked.*"_qs));
        QVERIFY2(second >= 0, qPrintable(log.join(u'\n')));
        QVERIFY(log.value(second + 1).startsWith(u"Rule: carrier tag  <"_qs));
        QVERIFY(rule(Args("show")).out.contains(u"block number 888555*\trobo range\t1 hits"_qs));
    }

    void cleanupTestCase() {
        if (m_service.state() != QProcess::NotRunning) {
            m_service.terminate();
            m_service.waitForFinished(15000);
        }
    }
};

QTEST_GUILESS_MAIN(TestRuleCommands)
#include "tst_rulecommands.moc"
