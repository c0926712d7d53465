#include "rules/RuleFiles.h"

#include "platform/DataFileLock.h"
#include "rules/RuleSet.h"
#include "rules/VCardReader.h"

#include <QDir>
#include <QFile>

QString RulesPath(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("rules.txt"));
}

QString RuleHitsPath(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("rules-hits.txt"));
}

bool ReadRulesText(const QString& path, RulesText* text, QString* error) {
    QFile file(path);
    if (!file.exists()) {
        *text = RulesText();
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1 could not be read: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    *text = RulesText::parse(file.readAll());
    return true;
}

namespace {

// Runs change over the file's current text under its lock. change returns false (with the
// reason) to leave the file alone.
RuleEdit EditLocked(const QString& path, const std::function<bool(RulesText&, QString*)>& change,
                    QString* message) {
    bool refused = false;
    QString reason;
    QString error;
    const bool ok = RewriteLocked(
        path,
        [&](const QByteArray& current) -> std::optional<QByteArray> {
            RulesText text = RulesText::parse(current);
            if (!change(text, &reason)) {
                refused = true;
                return std::nullopt;
            }
            return text.bytes();
        },
        &error);
    if (!ok) {
        if (message)
            *message = error;
        return RuleEdit::Failed;
    }
    if (refused) {
        if (message)
            *message = reason;
        return RuleEdit::Refused;
    }
    return RuleEdit::Done;
}

QString Duplicate(const RulesText& text, const Rule& rule, int except = 0) {
    for (const Rule& other : text.rules()) {
        if (other.line != except && other.sameAs(rule))
            return QStringLiteral("the same rule stands at line %1").arg(other.line);
    }
    return {};
}

QString NoRuleAt(int line) {
    return QStringLiteral("line %1 of rules.txt holds no rule").arg(line);
}

} // namespace

RuleEdit AddRule(const QString& path, const Rule& rule, QString* message) {
    return EditLocked(
        path,
        [&](RulesText& text, QString* reason) {
            *reason = Duplicate(text, rule);
            if (!reason->isEmpty())
                return false;
            text.append(rule);
            return true;
        },
        message);
}

RuleEdit ReplaceRule(const QString& path, int line, const Rule& rule, QString* message) {
    return EditLocked(
        path,
        [&](RulesText& text, QString* reason) {
            if (!text.ruleAt(line)) {
                *reason = NoRuleAt(line);
                return false;
            }
            *reason = Duplicate(text, rule, line);
            if (!reason->isEmpty())
                return false;
            text.replace(line, rule);
            return true;
        },
        message);
}

RuleEdit RemoveRule(const QString& path, int line, QString* message, Rule* removed) {
    return EditLocked(
        path,
        [&](RulesText& text, QString* reason) {
            const Rule* rule = text.ruleAt(line);
            if (!rule) {
                *reason = NoRuleAt(line);
                return false;
            }
            if (removed)
                *removed = *rule;
            text.remove(line);
            return true;
        },
        message);
}

RuleEdit AllowNumbers(const QString& path, const std::vector<Rule>& rules, int* added, int* skipped,
                      QString* message) {
    return EditLocked(
               path,
               [&](RulesText& text, QString*) {
                   *added = 0;
                   *skipped = 0;
                   std::vector<Rule> current = text.rules();
                   RuleSet set(current);
                   for (const Rule& rule : rules) {
                       // The rule's own pattern is a plain number: it is allowed already when an
                       // allow rule matches it (an earlier one of this import included).
                       const bool allowed =
                           set.firstMatch(RuleAction::Allow, rule.match, QStringView()) >= 0 ||
                           std::any_of(current.begin() + qsizetype(set.rules().size()),
                                       current.end(),
                                       [&](const Rule& r) { return r.sameAs(rule); });
                       if (allowed) {
                           ++*skipped;
                           continue;
                       }
                       text.append(rule);
                       current.push_back(rule);
                       ++*added;
                   }
                   return *added > 0;
               },
               message) == RuleEdit::Failed
               ? RuleEdit::Failed
               : RuleEdit::Done;
}

QString RuleHitKey(const Rule& rule) {
    Rule bare = rule;
    bare.label.clear();
    return bare.text();
}

QHash<QString, RuleHit> ReadRuleHits(const QString& path) {
    QHash<QString, RuleHit> hits;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return hits;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& raw : lines) {
        const QList<QByteArray> parts = raw.trimmed().split('\t');
        if (parts.size() != 3)
            continue;
        bool ok = false;
        const qint64 count = parts[0].toLongLong(&ok);
        if (!ok || count < 0)
            continue;
        hits.insert(QString::fromUtf8(parts[2]),
                    {count, QDate::fromString(QString::fromLatin1(parts[1]), Qt::ISODate)});
    }
    return hits;
}

bool RecordRuleHit(const QString& path, const Rule& rule, QDate date, QString* error) {
    const QString key = RuleHitKey(rule);
    return RewriteLocked(
        path,
        [&](const QByteArray& current) -> std::optional<QByteArray> {
            QByteArray out;
            bool found = false;
            const QList<QByteArray> lines = current.split('\n');
            for (const QByteArray& raw : lines) {
                QList<QByteArray> parts = raw.split('\t');
                if (parts.size() != 3)
                    continue; // an unreadable line of a state file is not worth keeping
                if (QString::fromUtf8(parts[2]) == key) {
                    found = true;
                    parts[0] = QByteArray::number(parts[0].toLongLong() + 1);
                    parts[1] = date.toString(Qt::ISODate).toLatin1();
                }
                out += parts.join('\t') + '\n';
            }
            if (!found)
                out += "1\t" + date.toString(Qt::ISODate).toLatin1() + '\t' + key.toUtf8() + '\n';
            return out;
        },
        error);
}

std::vector<Rule> ContactAllowRules(const QByteArray& vcards, int* unusable) {
    std::vector<Rule> rules;
    *unusable = 0;
    for (const VCardContact& contact : ReadVCards(vcards)) {
        for (const QString& written : contact.numbers) {
            const ParsedRule parsed = MakeRule(RuleAction::Allow, RuleField::Number,
                                               ContactNumber(written), contact.name);
            if (parsed.rule)
                rules.push_back(*parsed.rule);
            else
                ++*unusable;
        }
    }
    return rules;
}
