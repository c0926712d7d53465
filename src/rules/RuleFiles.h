#pragma once

#include "rules/Rule.h"
#include "rules/RulesText.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <vector>

// rules.txt in the data folder, and beside it the file that counts each rule's hits.
QString RulesPath(const QString& folder);
QString RuleHitsPath(const QString& folder);

// Reads rules.txt as it stands (an absent file has no rules). False, with error, when it exists
// but cannot be read.
bool ReadRulesText(const QString& path, RulesText* text, QString* error);

// How a change of rules.txt went.
enum class RuleEdit {
    Done,
    Refused, // the change makes no sense against the file as it is now (reason in message)
    Failed,  // the file could not be locked, read or written (reason in message)
};

// Each change takes the lock of rules.txt, reads it again, changes it and writes it atomically.
RuleEdit AddRule(const QString& path, const Rule& rule, QString* message);
RuleEdit ReplaceRule(const QString& path, int line, const Rule& rule, QString* message);
RuleEdit RemoveRule(const QString& path, int line, QString* message, Rule* removed = nullptr);
// Adds an allow rule for every number no allow rule lets ring yet; counts what it added and
// what it skipped.
RuleEdit AllowNumbers(const QString& path, const std::vector<Rule>& rules, int* added, int* skipped,
                      QString* message);
// An allow rule for every telephone number of a contacts file (vCard), labelled with the
// contact's name; counts the numbers no rule can be made of.
std::vector<Rule> ContactAllowRules(const QByteArray& vcards, int* unusable);

// How often a rule decided a call and when it last did. Kept by the rule as written (without
// its label), so moving or relabelling a rule keeps its count.
struct RuleHit {
    qint64 count = 0;
    QDate last;
};
QString RuleHitKey(const Rule& rule);
QHash<QString, RuleHit> ReadRuleHits(const QString& path);
bool RecordRuleHit(const QString& path, const Rule& rule, QDate date, QString* error);
