#include "support/ListFolder.h"

#include "lists/ListFiles.h"

#include <QFile>

QByteArray PublicBytes(const std::vector<double>& values) {
    QByteArray data;
    for (double v : values)
        data += EncodePublicRecord(v);
    return data;
}

QByteArray PrivateBytes(const std::vector<PrivateEntry>& entries) {
    QByteArray data;
    for (const PrivateEntry& e : entries)
        data += EncodePrivateRecord(e);
    return data;
}

ListFolder::ListFolder() : lists(dir.path()), store(lists) {
    store.load();
}

void ListFolder::start(const std::vector<double>& publicValues,
                       const std::vector<PrivateEntry>& privateEntries) {
    WriteFileBytes(publicPath(), PublicBytes(publicValues));
    WriteFileBytes(privatePath(), PrivateBytes(privateEntries));
    store.load();
}
