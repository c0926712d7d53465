#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QStringList>

// Builds the caller-ID lines a modem reports, in the variants real modems use. Arguments are
// the words after "cid": flags (nospace, before, DDN, NBR, MESG, twice), NMBR=<number>|P|O|A
// and NAME=<name>|O|P (a name may run over several words, or be quoted).
struct CallerIdMessage {
    QList<QByteArray> lines;
    bool beforeRing = false; // "before": marked in the log; the script sends the RING after it
};

bool BuildCallerId(const QStringList& words, const QDateTime& now, CallerIdMessage* out,
                   QString* error);

// Splits a script line into words; double quotes group words, \" stands for a quote.
QStringList SplitWords(const QString& text);
