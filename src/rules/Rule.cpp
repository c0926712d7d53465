#include "rules/Rule.h"

#include <QRegularExpression>

namespace {

bool IsSeparator(QChar c) {
    return c == u'-' || c == u'.' || c == u' ' || c == u'(' || c == u')';
}

QChar Fold(QChar c) {
    return c.toCaseFolded();
}

// The number pattern without separators, or an error.
ParsedRule CompileNumber(Rule rule) {
    QString out;
    for (qsizetype i = 0; i < rule.pattern.size(); ++i) {
        const QChar c = rule.pattern[i];
        if (IsSeparator(c))
            continue;
        const bool plus = c == u'+' && out.isEmpty();
        if (!plus && !c.isDigit() && c != u'*' && c != u'?')
            return {std::nullopt,
                    QStringLiteral("a number pattern holds only digits, a leading +, * and ?: "
                                   "'%1'")
                        .arg(rule.pattern)};
        if (c.isDigit() && (c < u'0' || c > u'9'))
            return {std::nullopt,
                    QStringLiteral("'%1' holds a digit other than 0-9").arg(rule.pattern)};
        // A run of stars says no more than one.
        if (c == u'*' && out.endsWith(u'*'))
            continue;
        out += c;
    }
    if (out.isEmpty() || out == QLatin1String("+"))
        return {std::nullopt, QStringLiteral("the number pattern is empty")};
    rule.match = out;
    return {std::move(rule), {}};
}

ParsedRule CompileName(Rule rule) {
    QString out;
    for (const QChar c : std::as_const(rule.pattern)) {
        if (c == u'*' && out.endsWith(u'*'))
            continue;
        out += Fold(c);
    }
    if (out.isEmpty())
        return {std::nullopt, QStringLiteral("the name pattern is empty")};
    rule.match = out;
    return {std::move(rule), {}};
}

// A block rule that would catch nearly every caller is refused.
QString TooBroad(const Rule& rule) {
    if (rule.action != RuleAction::Block || rule.regex)
        return {};
    if (rule.field == RuleField::Number) {
        int fixed = 0;
        for (const QChar c : rule.match) {
            if (c == u'*')
                break;
            if (c.isDigit())
                ++fixed;
        }
        if (fixed < 3)
            return QStringLiteral("'%1' is too broad: a block pattern must fix at least 3 digits "
                                  "before its first *, or it would block nearly everyone")
                .arg(rule.pattern);
        return {};
    }
    for (const QChar c : rule.match) {
        if (c != u'*' && c != u'?')
            return {};
    }
    return QStringLiteral("'%1' is too broad: a block pattern for names needs at least one "
                          "letter, or it would block nearly everyone")
        .arg(rule.pattern);
}

ParsedRule Compile(Rule rule) {
    if (rule.pattern.startsWith(QLatin1String("re:"))) {
        rule.regex = true;
        rule.match = rule.pattern.mid(3);
        QRegularExpression re(rule.match);
        if (rule.match.isEmpty())
            return {std::nullopt, QStringLiteral("the regular expression after re: is empty")};
        if (!re.isValid())
            return {std::nullopt, QStringLiteral("the regular expression '%1' does not compile: "
                                                 "%2 at offset %3")
                                      .arg(rule.match, re.errorString())
                                      .arg(re.patternErrorOffset())};
        return {std::move(rule), {}};
    }
    ParsedRule parsed = rule.field == RuleField::Number ? CompileNumber(std::move(rule))
                                                        : CompileName(std::move(rule));
    if (!parsed.rule)
        return parsed;
    if (parsed.rule->match.count(u'*') > kMaxStars)
        return {std::nullopt, QStringLiteral("'%1' holds more than %2 *; say it with re: instead")
                                  .arg(parsed.rule->pattern)
                                  .arg(kMaxStars)};
    const QString broad = TooBroad(*parsed.rule);
    if (!broad.isEmpty())
        return {std::nullopt, broad};
    return parsed;
}

bool NeedsQuotes(const QString& pattern) {
    for (const QChar c : pattern) {
        if (c.isSpace() || c == u'"')
            return true;
    }
    return pattern.isEmpty();
}

} // namespace

QString ActionWord(RuleAction action) {
    return action == RuleAction::Block ? QStringLiteral("block") : QStringLiteral("allow");
}

QString FieldWord(RuleField field) {
    return field == RuleField::Number ? QStringLiteral("number") : QStringLiteral("name");
}

std::optional<RuleAction> ParseAction(QStringView word) {
    if (word == u"block")
        return RuleAction::Block;
    if (word == u"allow")
        return RuleAction::Allow;
    return std::nullopt;
}

std::optional<RuleField> ParseField(QStringView word) {
    if (word == u"number")
        return RuleField::Number;
    if (word == u"name")
        return RuleField::Name;
    return std::nullopt;
}

QString Rule::text() const {
    // A pattern with blanks is quoted; the reader takes it up to the first quote that ends a
    // word, which MakeRule keeps out of patterns.
    QString out = ActionWord(action) + u' ' + FieldWord(field) + u' ';
    out += NeedsQuotes(pattern) ? u'"' + pattern + u'"' : pattern;
    if (!label.isEmpty())
        out += u' ' + label;
    return out;
}

QString Rule::describe() const {
    return label.isEmpty() ? text() : label;
}

bool Rule::sameAs(const Rule& other) const {
    return action == other.action && field == other.field && regex == other.regex &&
           match == other.match;
}

ParsedRule MakeRule(RuleAction action, RuleField field, const QString& pattern,
                    const QString& label) {
    Rule rule;
    rule.action = action;
    rule.field = field;
    rule.pattern = pattern.trimmed();
    // A pattern handed over already in the quotes of the file's form.
    if (rule.pattern.size() >= 2 && rule.pattern.startsWith(u'"') && rule.pattern.endsWith(u'"'))
        rule.pattern = rule.pattern.mid(1, rule.pattern.size() - 2);
    // A label is one line; its own spacing is kept.
    rule.label = QString(label).replace(u'\r', u' ').replace(u'\n', u' ').trimmed();
    if (rule.pattern.contains(u'\n') || rule.pattern.contains(u'\r'))
        return {std::nullopt, QStringLiteral("a pattern is one line")};
    for (qsizetype i = 0; i + 1 < rule.pattern.size(); ++i) {
        if (rule.pattern[i] == u'"' && rule.pattern[i + 1].isSpace())
            return {std::nullopt,
                    QStringLiteral("a pattern cannot hold a quote followed by a blank")};
    }
    return Compile(std::move(rule));
}

ParsedRule ParseRule(QStringView line) {
    qsizetype pos = 0;
    auto skipBlanks = [&] {
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
    };
    auto word = [&] {
        skipBlanks();
        const qsizetype start = pos;
        while (pos < line.size() && !line[pos].isSpace())
            ++pos;
        return line.mid(start, pos - start);
    };
    const QStringView actionWord = word();
    const std::optional<RuleAction> action = ParseAction(actionWord);
    if (!action)
        return {std::nullopt,
                QStringLiteral("a rule starts with block or allow, not '%1'").arg(actionWord)};
    const QStringView fieldWord = word();
    const std::optional<RuleField> field = ParseField(fieldWord);
    if (!field)
        return {std::nullopt, QStringLiteral("after %1 comes number or name, not '%2'")
                                  .arg(ActionWord(*action), fieldWord)};
    skipBlanks();
    QString pattern;
    if (pos < line.size() && line[pos] == u'"') {
        // Quoted: up to the closing quote that ends a word.
        qsizetype end = -1;
        for (qsizetype i = pos + 1; i < line.size(); ++i) {
            if (line[i] == u'"' && (i + 1 == line.size() || line[i + 1].isSpace()))
                end = i;
            if (end >= 0)
                break;
        }
        if (end < 0)
            return {std::nullopt, QStringLiteral("the pattern's closing quote is missing")};
        pattern = line.mid(pos + 1, end - pos - 1).toString();
        pos = end + 1;
    } else {
        pattern = word().toString();
    }
    if (pattern.isEmpty())
        return {std::nullopt, QStringLiteral("the pattern is missing")};
    return MakeRule(*action, *field, pattern, line.mid(pos).trimmed().toString());
}

qsizetype NumberKey(QStringView number, char16_t* out, qsizetype outSize) {
    qsizetype n = 0;
    for (const QChar c : number) {
        if (IsSeparator(c))
            continue;
        if (n == outSize)
            break;
        out[n++] = c.unicode();
    }
    return n;
}

qsizetype NameKey(QStringView name, char16_t* out, qsizetype outSize) {
    qsizetype n = 0;
    for (const QChar c : name) {
        if (n == outSize)
            break;
        out[n++] = Fold(c).unicode();
    }
    return n;
}
