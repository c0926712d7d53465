// Times LoadPhoneLists on full list files: 50,000 public and 10,000 private entries.
// Prints "load_lists_ms <value> ms", the median of several loads.
#include "lists/ListFiles.h"
#include "lists/PhoneLists.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    std::vector<double> publicValues;
    for (int i = 0; i < PhoneLists::kPublicCapacity; ++i)
        publicValues.push_back(i % 10 == 0 ? -(2125550000.0 + i) : 8005550000.0 + i * 7);
    std::vector<PrivateEntry> privateEntries;
    for (int i = 0; i < PhoneLists::kPrivateCapacity; ++i)
        privateEntries.push_back(MakePrivateEntry(QStringLiteral("Caller %1").arg(i),
                                                  QString::number(5550000000LL + i * 13)));
    QString error;
    if (!RewritePublicFile(dir.filePath(QStringLiteral("public.tel")), publicValues, &error) ||
        !RewritePrivateFile(dir.filePath(QStringLiteral("private.txt")), privateEntries, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    PhoneLists lists(dir.path());
    lists.LoadPhoneLists(); // warm the file cache and the allocations
    if (lists.publicCount() != PhoneLists::kPublicCapacity ||
        lists.privateCount() != PhoneLists::kPrivateCapacity)
        return 1;
    std::vector<double> times;
    for (int run = 0; run < 15; ++run) {
        QElapsedTimer timer;
        timer.start();
        lists.LoadPhoneLists();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("load_lists_ms %.2f ms\n", times[times.size() / 2]);
    return 0;
}
