#include "rules/RuleBook.h"

#include "rules/RuleFiles.h"

#include <QFile>
#include <sys/stat.h>

RuleBook::RuleBook(QString folder) : m_path(RulesPath(folder)), m_hitsPath(RuleHitsPath(folder)) {}

RuleBook::Stamp RuleBook::stampOf(const QString& path) {
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return Stamp{true, quint64(st.st_ino), qint64(st.st_size),
                 qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

std::vector<RuleProblem> RuleBook::refresh() {
    if (m_read && stampOf(m_path) == m_stamp)
        return {};
    return reload();
}

std::vector<RuleProblem> RuleBook::reload() {
    m_read = true;
    m_stamp = stampOf(m_path);
    RulesText text;
    QString error;
    if (!ReadRulesText(m_path, &text, &error)) {
        // An unreadable file keeps the rules of the last read rather than dropping them all.
        if (m_reported.contains(error))
            return {};
        m_reported.insert(error);
        return {RuleProblem{0, {}, error}};
    }
    m_rules = RuleSet(text.rules());
    std::vector<RuleProblem> fresh;
    for (RuleProblem& problem : text.problems()) {
        if (!m_reported.contains(problem.text)) {
            m_reported.insert(problem.text);
            fresh.push_back(std::move(problem));
        }
    }
    return fresh;
}
