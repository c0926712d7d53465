#include "rules/RuleSet.h"

#include <algorithm>

namespace {

// Back references and recursion count groups from the start of the whole expression, so a
// regular expression that uses them cannot stand inside a combined one.
bool CanCombine(const QString& expression) {
    static const QRegularExpression numbered(
        QStringLiteral("\\\\[1-9gkK]|\\(\\?(?:[0-9R&+]|P[=>])"));
    return !expression.contains(numbered);
}

QRegularExpression Anchored(const QString& expression, RuleField field) {
    QRegularExpression re(QRegularExpression::anchoredPattern(expression),
                          field == RuleField::Name ? QRegularExpression::CaseInsensitiveOption
                                                   : QRegularExpression::NoPatternOption);
    return re;
}

constexpr qsizetype kKeyLength = 128;

} // namespace

RuleSet::RuleSet(std::vector<Rule> rules) : m_rules(std::move(rules)) {
    QString combined[4];
    size_t joined[4] = {};
    size_t characters[4] = {};
    for (const Rule& rule : m_rules)
        characters[slot(rule.action, rule.field)] += size_t(rule.match.size());
    for (int s = 0; s < 4; ++s)
        m_fields[s].globs.reserve(characters[s]);
    for (size_t i = 0; i < m_rules.size(); ++i) {
        const Rule& rule = m_rules[i];
        const int s = slot(rule.action, rule.field);
        Field& field = m_fields[s];
        if (!rule.regex) {
            field.globs.insert(rule.match, int(i));
            continue;
        }
        field.regex.members.emplace_back(int(i), Anchored(rule.match, rule.field));
        if (CanCombine(rule.match)) {
            if (!combined[s].isEmpty())
                combined[s] += u'|';
            combined[s] += QStringLiteral("(?:") + rule.match + u')';
            ++joined[s];
        }
    }
    for (int s = 0; s < 4; ++s) {
        Field& field = m_fields[s];
        field.globs.finish();
        // Only when every member is in the alternation can a miss there stand for all of them.
        if (joined[s] > 0 && joined[s] == field.regex.members.size()) {
            field.regex.combined =
                Anchored(combined[s], s % 2 ? RuleField::Name : RuleField::Number);
            // Compiled now, so the first call does not pay for it; a member is compiled the first
            // time the combined expression sends a caller to it.
            field.regex.hasCombined = field.regex.combined.isValid();
        }
    }
}

int RuleSet::RegexGroup::firstMatch(QStringView text) const {
    if (members.empty())
        return GlobTrie::kNone;
    if (hasCombined && !combined.match(text).hasMatch())
        return GlobTrie::kNone;
    for (const auto& [index, re] : members) {
        if (re.match(text).hasMatch())
            return index;
    }
    return GlobTrie::kNone;
}

int RuleSet::Field::firstMatch(QStringView text) const {
    if (text.isEmpty())
        return GlobTrie::kNone;
    return std::min(globs.firstMatch(text), regex.firstMatch(text));
}

int RuleSet::firstMatch(RuleAction action, QStringView number, QStringView name) const {
    if (m_rules.empty())
        return -1;
    char16_t key[kKeyLength];
    const qsizetype numberLength = NumberKey(number, key, kKeyLength);
    int best = m_fields[slot(action, RuleField::Number)].firstMatch(QStringView(key, numberLength));
    const qsizetype nameLength = NameKey(name, key, kKeyLength);
    best = std::min(
        best, m_fields[slot(action, RuleField::Name)].firstMatch(QStringView(key, nameLength)));
    return best == GlobTrie::kNone ? -1 : best;
}
