#pragma once

#include "support/Files.h"

#include "lists/ListStore.h"
#include "lists/PhoneLists.h"
#include "platform/time/VirtualTime.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <vector>

// The bytes of public.tel records or private.txt records holding these entries.
QByteArray PublicBytes(const std::vector<double>& values);
QByteArray PrivateBytes(const std::vector<PrivateEntry>& entries);

// A temporary folder with the two list files, their tables and the store that writes them, and a
// clock for whoever needs one (share file names).
struct ListFolder {
    ListFolder();

    QString publicPath() const { return lists.publicPath(); }
    QString privatePath() const { return lists.privatePath(); }
    QByteArray publicFile() const { return ReadFileBytes(publicPath()); }
    QByteArray privateFile() const { return ReadFileBytes(privatePath()); }
    // Writes the files behind the store's back and loads them, as at start-up.
    void start(const std::vector<double>& publicValues,
               const std::vector<PrivateEntry>& privateEntries = {});

    QTemporaryDir dir;
    PhoneLists lists;
    ListStore store;
    VirtualTime time;
};
