// Time of one caller-ID verdict with full phone lists and a caller in neither list, through
// the engine and the fake telephony service, next to the plain linear scan that turns every
// public entry into text on every call. Then the same lists with 10,000 screening rules: the
// time to read and compile rules.txt, and the median verdict next to a scan of rule after rule.
#include "engine/Verdict.h"
#include "rules/RuleBook.h"
#include "support/EngineHarness.h"
#include "support/Files.h"
#include "support/ReferenceLists.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

// 8,000 number patterns, 1,900 name wildcards and 100 regular expressions, as a busy user's
// rules.txt might hold them (none matches the callers timed here).
QByteArray ManyRules(QRandomGenerator& rng) {
    QByteArray text = "# generated\n";
    for (int i = 0; i < 8000; ++i) {
        QByteArray digits = QByteArray::number(2000000 + qint64(rng.bounded(7000000)));
        if (i % 4 == 1)
            text += "block number " + digits.left(6) + "????\n";
        else if (i % 4 == 2)
            text += "allow number +49" + digits + "\n";
        else
            text += "block number " + digits.left(3 + int(rng.bounded(5))) + "* range " +
                    QByteArray::number(i) + "\n";
    }
    static const char* words[] = {"acme",  "spam",  "robo",  "sales",  "credit",   "survey",
                                  "promo", "solar", "loans", "cruise", "vacation", "prize"};
    for (int i = 0; i < 1900; ++i) {
        const QByteArray w = words[rng.bounded(12)];
        const QByteArray n = QByteArray::number(i);
        text += i % 2 ? "block name \"" + w + " " + n + "*\"\n" : "block name *" + w + n + "?\n";
    }
    for (int i = 0; i < 100; ++i)
        text += "block name re:X" + QByteArray::number(i) + "[0-9]{12}\n";
    return text;
}

// What a screener without a compiled set does: every rule, one after the other, each as its own
// expression.
struct NaiveRules {
    std::vector<std::pair<RuleField, QRegularExpression>> rules;
    explicit NaiveRules(const RuleSet& set) {
        for (const Rule& r : set.rules()) {
            const QString pattern = r.regex
                                        ? QRegularExpression::anchoredPattern(r.match)
                                        : QRegularExpression::wildcardToRegularExpression(r.match);
            QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
            re.optimize();
            rules.emplace_back(r.field, re);
        }
    }
    bool matches(const QString& number, const QString& name) const {
        bool any = false;
        for (const auto& [field, re] : rules)
            any = any || re.match(field == RuleField::Number ? number : name).hasMatch();
        return any;
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    EngineHarness h;
    h.start({0});

    QRandomGenerator rng(42);
    std::vector<double> numbers;
    numbers.reserve(PhoneLists::kPublicCapacity);
    for (int i = 0; i < PhoneLists::kPublicCapacity; ++i)
        numbers.push_back(double(2000000000LL + qint64(rng.bounded(7000000)) * 1000 + i % 1000));
    h.setPublicList(numbers);
    QList<QPair<QString, QString>> priv;
    for (int i = 0; i < PhoneLists::kPrivateCapacity; ++i)
        priv.append({QStringLiteral("Name %1").arg(i),
                     QStringLiteral("555-%1").arg(i, 6, 10, QLatin1Char('0'))});
    h.setPrivateList(priv);
    if (h.lists->publicCount() != PhoneLists::kPublicCapacity ||
        h.lists->privateCount() != PhoneLists::kPrivateCapacity) {
        std::fprintf(stderr, "lists not loaded: %d %d\n", h.lists->publicCount(),
                     h.lists->privateCount());
        return 1;
    }

    const QByteArray caller("1999999999"); // in neither list
    const uint32_t call = h.line.offerCall(0);
    h.time.runPosted();

    using Clock = std::chrono::steady_clock;
    auto screen = [&] {
        h.line.sendCallerId(call, tapi::LINECALLPARTYID_ADDRESS, caller, {});
        h.time.runPosted();
    };
    for (int i = 0; i < 200; ++i)
        screen();
    h.log.clear();
    h.line.clearOps();

    const int rounds = 5000;
    auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        screen();
        if (h.log.lines.size() > 1000) {
            h.log.clear();
            h.line.clearOps();
        }
    }
    const double verdictUs =
        std::chrono::duration<double, std::micro>(Clock::now() - start).count() / rounds;
    if (h.engine->slot(0).listed || h.line.count(QStringLiteral("lineAnswer")) != 0) {
        std::fprintf(stderr, "caller unexpectedly listed\n");
        return 1;
    }

    const QString number = QString::fromLatin1(caller);
    const int naiveRounds = 20;
    bool listed = false;
    start = Clock::now();
    for (int i = 0; i < naiveRounds; ++i)
        listed = listed || ReferenceIsListed(*h.lists, number);
    const double naiveUs =
        std::chrono::duration<double, std::micro>(Clock::now() - start).count() / naiveRounds;
    if (listed)
        return 1;

    std::printf("verdict_us %.2f us\n", verdictUs);
    std::printf("verdict_naive_us %.1f us\n", naiveUs);

    // The rules: read and compiled once per change of the file.
    if (!WriteFileBytes(h.folder() + QStringLiteral("/rules.txt"), ManyRules(rng)))
        return 1;
    RuleBook book(h.folder());
    start = Clock::now();
    const std::vector<RuleProblem> problems = book.reload();
    const double loadMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (!problems.empty() || book.rules().rules().size() != 10000) {
        std::fprintf(stderr, "rules not loaded: %zu rules, %zu problems (%s)\n",
                     book.rules().rules().size(), problems.size(),
                     problems.empty() ? "" : qPrintable(problems.front().reason));
        return 1;
    }
    const EngineOptions options;
    ScreenContext context;
    context.rules = &book.rules();
    const QStringList callers{QStringLiteral("1999999999"), QStringLiteral("1555000123"),
                              QStringLiteral("0885550100")};
    const QString name = QStringLiteral("JOHN Q PUBLIC");
    std::vector<double> samples;
    const int ruleRounds = 20000;
    samples.reserve(ruleRounds);
    for (int i = 0; i < ruleRounds; ++i) {
        const QString& who = callers[i % callers.size()];
        const auto t0 = Clock::now();
        const Screening screening = ScreenVerdict(who, name, *h.lists, options, context);
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        if (screening.verdict != Verdict::RingsOn) {
            std::fprintf(stderr, "caller unexpectedly blocked by %d\n", screening.rule);
            return 1;
        }
    }
    std::nth_element(samples.begin(), samples.begin() + ruleRounds / 2, samples.end());
    const double rulesUs = samples[ruleRounds / 2];

    const NaiveRules naive(book.rules());
    const int naiveRuleRounds = 50;
    bool naiveHit = false;
    start = Clock::now();
    for (int i = 0; i < naiveRuleRounds; ++i)
        naiveHit = naive.matches(callers[i % callers.size()], name) || naiveHit;
    const double naiveRulesUs =
        std::chrono::duration<double, std::micro>(Clock::now() - start).count() / naiveRuleRounds;
    if (naiveHit)
        return 1;

    std::printf("load_rules_ms %.1f ms\n", loadMs);
    std::printf("verdict_rules_us %.2f us\n", rulesUs);
    std::printf("verdict_rules_naive_us %.1f us\n", naiveRulesUs);
    return 0;
}
