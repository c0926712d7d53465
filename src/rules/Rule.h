#pragma once

#include <QString>
#include <QStringView>
#include <optional>

enum class RuleAction { Block, Allow };
enum class RuleField { Number, Name };

// One screening rule: "ACTION FIELD PATTERN [LABEL]". A wildcard pattern is kept in the form it
// is matched in (a number without its separators, a name case-folded); a regular expression is
// kept as written after "re:".
struct Rule {
    RuleAction action = RuleAction::Block;
    RuleField field = RuleField::Number;
    QString pattern; // as written, quotes taken off ("800-555*", "re:V[0-9]{15}")
    QString label;   // free text; may be empty
    bool regex = false;
    QString match; // the wildcard pattern as matched, or the regular expression
    int line = 0;  // 1-based line in rules.txt; 0 for a rule not (yet) in a file

    // The rule as it is written into rules.txt.
    QString text() const;
    // What the log and the test say about the rule: its label, or the rule as written.
    QString describe() const;
    // Whether two rules say the same thing (the label aside).
    bool sameAs(const Rule& other) const;
};

struct ParsedRule {
    std::optional<Rule> rule;
    QString error; // why the text is not a rule, when rule is empty
};

// A wildcard pattern may hold at most this many '*', so that matching stays quick.
inline constexpr int kMaxStars = 4;

// Reads one line of rules.txt (without its line end).
ParsedRule ParseRule(QStringView line);
// Makes a rule from its parts, as the command line and the rules window give them.
ParsedRule MakeRule(RuleAction action, RuleField field, const QString& pattern,
                    const QString& label);

QString ActionWord(RuleAction action);
QString FieldWord(RuleField field);
std::optional<RuleAction> ParseAction(QStringView word);
std::optional<RuleField> ParseField(QStringView word);

// A caller's number in the form number patterns match: the separators a number may be written
// with dropped. Writes into out (at most outSize characters) and returns the length.
qsizetype NumberKey(QStringView number, char16_t* out, qsizetype outSize);
// A caller's name case-folded into out, as name patterns match it.
qsizetype NameKey(QStringView name, char16_t* out, qsizetype outSize);
