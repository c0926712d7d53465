#include "service/RuleCommands.h"

#include "engine/Verdict.h"
#include "lists/PhoneLists.h"
#include "platform/AppFolder.h"
#include "platform/time/Clock.h"
#include "rules/RuleFiles.h"
#include "rules/RuleSet.h"
#include "rules/VCardReader.h"
#include "settings/OptionsStore.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {
constexpr int kFailed = 1;
constexpr int kBadInput = 2;

void Out(const QString& text) {
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
}

int Fail(const QString& text, int status) {
    std::fflush(stdout);
    std::fprintf(stderr, "hushwire: %s\n", text.toLocal8Bit().constData());
    return status;
}

int Status(RuleEdit edit, const QString& message) {
    switch (edit) {
    case RuleEdit::Done:
        return 0;
    case RuleEdit::Refused:
        return Fail(message, kBadInput);
    case RuleEdit::Failed:
        return Fail(message, kFailed);
    }
    return kFailed;
}

QString RulesFile() {
    return RulesPath(AppFolder());
}

int Show() {
    RulesText text;
    QString error;
    if (!ReadRulesText(RulesFile(), &text, &error))
        return Fail(error, kFailed);
    const QHash<QString, RuleHit> hits = ReadRuleHits(RuleHitsPath(AppFolder()));
    for (const Rule& rule : text.rules()) {
        Rule bare = rule;
        bare.label.clear();
        const RuleHit hit = hits.value(RuleHitKey(rule));
        Out(QStringLiteral("%1\t%2\t%3\t%4 hits\tlast %5")
                .arg(rule.line)
                .arg(bare.text(), rule.label)
                .arg(hit.count)
                .arg(hit.last.isValid() ? hit.last.toString(Qt::ISODate)
                                        : QStringLiteral("never")));
    }
    for (const RuleProblem& problem : text.problems())
        Out(QStringLiteral("%1\tnot a rule (%2): %3")
                .arg(problem.line)
                .arg(problem.reason, problem.text));
    return 0;
}

int Add(const QStringList& args) {
    const std::optional<RuleAction> action = ParseAction(args.value(0));
    const std::optional<RuleField> field = ParseField(args.value(1));
    if (args.size() < 3 || !action || !field)
        return Fail(QStringLiteral("usage: hushwire rule add block|allow number|name PATTERN "
                                   "[LABEL...]"),
                    kBadInput);
    const ParsedRule parsed =
        MakeRule(*action, *field, args[2], args.mid(3).join(QLatin1Char(' ')));
    if (!parsed.rule)
        return Fail(parsed.error, kBadInput);
    QString message;
    return Status(AddRule(RulesFile(), *parsed.rule, &message), message);
}

int Remove(const QStringList& args) {
    bool ok = false;
    const int line = args.value(0).toInt(&ok);
    if (args.size() != 1 || !ok || line < 1)
        return Fail(QStringLiteral("usage: hushwire rule remove N (N as 'rule show' numbers it)"),
                    kBadInput);
    QString message;
    Rule removed;
    const int status = Status(RemoveRule(RulesFile(), line, &message, &removed), message);
    if (status == 0)
        Out(QStringLiteral("removed: ") + removed.text());
    return status;
}

int Test(const QStringList& args) {
    if (args.isEmpty() || args.size() > 2)
        return Fail(QStringLiteral("usage: hushwire rule test NUMBER [NAME]"), kBadInput);
    RulesText text;
    QString error;
    if (!ReadRulesText(RulesFile(), &text, &error))
        return Fail(error, kFailed);
    const RuleSet rules(text.rules());
    PhoneLists lists(AppFolder());
    lists.LoadPhoneLists();
    EngineOptions options;
    LoadScreeningOptions(options);
    ScreenContext context;
    context.rules = &rules;
    context.timeOfDay = SystemClock().now().time();
    const QString number = args[0].isEmpty() ? QStringLiteral("UNKNOWN") : args[0];
    const Screening s = ScreenVerdict(number, args.value(1), lists, options, context);
    QString why = DeciderText(s.decider);
    if (s.rule >= 0) {
        const Rule& rule = rules.rules()[size_t(s.rule)];
        Rule bare = rule;
        bare.label.clear();
        why = QStringLiteral("rule %1: %2").arg(rule.line).arg(bare.text());
        if (!rule.label.isEmpty())
            why += QStringLiteral(" (%1)").arg(rule.label);
    }
    Out((s.verdict == Verdict::RingsOn ? QStringLiteral("rings") : QStringLiteral("blocked")) +
        QStringLiteral(": ") + why);
    return 0;
}

int Import(const QStringList& args) {
    if (args.size() != 1)
        return Fail(QStringLiteral("usage: hushwire rule import FILE.vcf"), kBadInput);
    QFile file(args[0]);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("the file %1 could not be read (%2)")
                        .arg(QDir::toNativeSeparators(args[0]), file.errorString()),
                    kBadInput);
    int unusable = 0;
    const std::vector<Rule> rules = ContactAllowRules(file.read(64 << 20), &unusable);
    int added = 0;
    int skipped = 0;
    QString message;
    const int status =
        Status(AllowNumbers(RulesFile(), rules, &added, &skipped, &message), message);
    if (status == 0)
        Out(QStringLiteral("%1 added, %2 skipped").arg(added).arg(skipped + unusable));
    return status;
}

} // namespace

int RuleCommand(const QStringList& args) {
    const QString verb = args.value(0);
    const QStringList rest = args.mid(1);
    if (verb == QLatin1String("show") && rest.isEmpty())
        return Show();
    if (verb == QLatin1String("add"))
        return Add(rest);
    if (verb == QLatin1String("remove"))
        return Remove(rest);
    if (verb == QLatin1String("test"))
        return Test(rest);
    if (verb == QLatin1String("import"))
        return Import(rest);
    return Fail(QStringLiteral("unknown rule command: 'rule %1'\nTry 'hushwire --help'.")
                    .arg(args.join(QLatin1Char(' '))),
                kBadInput);
}
