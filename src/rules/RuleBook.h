#pragma once

#include "rules/RuleSet.h"
#include "rules/RulesText.h"

#include <QSet>
#include <QString>
#include <vector>

// The rules a screener runs with: rules.txt of the data folder, compiled, read again when the
// file has changed since the last read. Lines that do not read as rules are handed out once
// each, so the call log names each of them once, not at every reload.
class RuleBook {
public:
    explicit RuleBook(QString folder);

    // Reads rules.txt again when its inode, size or modification time changed (or on the first
    // call). Returns the bad lines not handed out before.
    std::vector<RuleProblem> refresh();
    // Reads rules.txt again whatever its state.
    std::vector<RuleProblem> reload();

    const RuleSet& rules() const { return m_rules; }
    const QString& path() const { return m_path; }
    const QString& hitsPath() const { return m_hitsPath; }

private:
    struct Stamp {
        bool exists = false;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    static Stamp stampOf(const QString& path);

    QString m_path;
    QString m_hitsPath;
    RuleSet m_rules;
    Stamp m_stamp;
    bool m_read = false;
    QSet<QString> m_reported; // bad lines already handed out, by their text
};
