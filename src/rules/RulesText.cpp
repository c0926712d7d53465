#include "rules/RulesText.h"

namespace {
// A longer line is no rule anyone wrote by hand; it is kept, but not read.
constexpr qsizetype kMaxLine = 4096;
} // namespace

RulesText RulesText::parse(const QByteArray& bytes) {
    RulesText text;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', pos);
        Line line;
        if (nl < 0) {
            line.bytes = bytes.mid(pos);
            pos = bytes.size();
        } else {
            qsizetype end = nl;
            if (end > pos && bytes[end - 1] == '\r')
                --end;
            line.bytes = bytes.mid(pos, end - pos);
            line.end = bytes.mid(end, nl + 1 - end);
            pos = nl + 1;
        }
        const QByteArray trimmed = line.bytes.trimmed();
        line.ignored = trimmed.isEmpty() || trimmed.startsWith('#');
        if (!line.ignored) {
            if (line.bytes.size() > kMaxLine)
                line.parsed.error =
                    QStringLiteral("the line is longer than %1 bytes").arg(kMaxLine);
            else
                line.parsed = ParseRule(QString::fromUtf8(line.bytes));
        }
        text.m_lines.push_back(std::move(line));
    }
    return text;
}

QByteArray RulesText::bytes() const {
    QByteArray out;
    for (const Line& line : m_lines)
        out += line.bytes + line.end;
    return out;
}

std::vector<Rule> RulesText::rules() const {
    std::vector<Rule> out;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].parsed.rule) {
            out.push_back(*m_lines[i].parsed.rule);
            out.back().line = int(i) + 1;
        }
    }
    return out;
}

std::vector<RuleProblem> RulesText::problems() const {
    std::vector<RuleProblem> out;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (!line.ignored && !line.parsed.rule)
            out.push_back({int(i) + 1, QString::fromUtf8(line.bytes.left(200)), line.parsed.error});
    }
    return out;
}

const Rule* RulesText::ruleAt(int line) const {
    if (line < 1 || size_t(line) > m_lines.size() || !m_lines[size_t(line) - 1].parsed.rule)
        return nullptr;
    return &*m_lines[size_t(line) - 1].parsed.rule;
}

QByteArray RulesText::lineEnd() const {
    // New lines end as the file's own lines do.
    for (const Line& line : m_lines) {
        if (!line.end.isEmpty())
            return line.end;
    }
    return QByteArrayLiteral("\n");
}

void RulesText::append(const Rule& rule) {
    const QByteArray end = lineEnd();
    if (!m_lines.empty() && m_lines.back().end.isEmpty())
        m_lines.back().end = end;
    m_lines.push_back(Line{rule.text().toUtf8(), end, {rule, {}}, false});
}

void RulesText::replace(int line, const Rule& rule) {
    if (!ruleAt(line))
        return;
    Line& l = m_lines[size_t(line) - 1];
    l.bytes = rule.text().toUtf8();
    l.parsed = {rule, {}};
}

void RulesText::remove(int line) {
    if (ruleAt(line))
        m_lines.erase(m_lines.begin() + (line - 1));
}
