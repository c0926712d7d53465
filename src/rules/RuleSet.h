#pragma once

#include "rules/GlobTrie.h"
#include "rules/Rule.h"

#include <QRegularExpression>
#include <vector>

// The rules of one load, compiled once: the wildcard patterns of each action and field in a
// prefix tree, the regular expressions of each in one combined expression that tells at once
// whether any of them can match. A lookup allocates nothing for wildcard rules.
class RuleSet {
public:
    RuleSet() = default;
    explicit RuleSet(std::vector<Rule> rules);

    const std::vector<Rule>& rules() const { return m_rules; }
    bool empty() const { return m_rules.empty(); }

    // The index (into rules()) of the first rule of that action, in file order, that matches the
    // number or the name; -1 when none does. An empty number or name matches no rule of its
    // field.
    int firstMatch(RuleAction action, QStringView number, QStringView name) const;

private:
    struct RegexGroup {
        // Every member that can be joined, as one alternation: no match there, no match at all.
        QRegularExpression combined;
        bool hasCombined = false;
        std::vector<std::pair<int, QRegularExpression>> members; // in index order
        int firstMatch(QStringView text) const;
    };
    struct Field {
        GlobTrie globs;
        RegexGroup regex;
        int firstMatch(QStringView text) const;
    };
    static int slot(RuleAction action, RuleField field) {
        return (action == RuleAction::Allow ? 2 : 0) + (field == RuleField::Name ? 1 : 0);
    }

    std::vector<Rule> m_rules;
    Field m_fields[4];
};
