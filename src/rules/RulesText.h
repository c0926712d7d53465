#pragma once

#include "rules/Rule.h"

#include <QByteArray>
#include <QString>
#include <vector>

// A line of rules.txt that takes no part in screening because it does not read as a rule.
struct RuleProblem {
    int line = 0; // 1-based
    QString text; // the line as it stands
    QString reason;
};

// The contents of rules.txt, line by line. Every line keeps its bytes and its line end, so a
// change rewrites only the lines it touches; blank lines, comments ('#') and lines that do not
// parse stay where they stand.
class RulesText {
public:
    static RulesText parse(const QByteArray& bytes);
    QByteArray bytes() const;

    // The rules, in file order, each with its line number.
    std::vector<Rule> rules() const;
    std::vector<RuleProblem> problems() const;

    // The rule that stands at the line, if one does.
    const Rule* ruleAt(int line) const;
    void append(const Rule& rule);
    void replace(int line, const Rule& rule);
    void remove(int line);

private:
    struct Line {
        QByteArray bytes; // without the line end
        QByteArray end;   // "\n", "\r\n" or empty for a last line without one
        ParsedRule parsed;
        bool ignored = false; // blank or comment
    };
    QByteArray lineEnd() const;

    std::vector<Line> m_lines;
};
