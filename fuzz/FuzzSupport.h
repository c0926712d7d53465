#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Shared by the fuzz targets: one Qt application object and one scratch folder per process.
namespace fuzzsupport {

inline void ensureApp() {
    static int argc = 1;
    static char name[] = "hushwire-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

inline const QString& scratch() {
    static QTemporaryDir dir;
    static const QString path = dir.path();
    return path;
}

inline void writeFile(const QString& path, const uint8_t* data, size_t size) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    f.write(reinterpret_cast<const char*>(data), qint64(size));
}

// Stops the fuzzer with a clear message when an invariant of the program breaks.
inline void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

} // namespace fuzzsupport
