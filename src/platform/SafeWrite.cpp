#include "platform/SafeWrite.h"

#include <QDir>
#include <QSaveFile>

namespace {
bool fail(QString* error, const QString& path, const QString& cause) {
    if (error)
        *error =
            QStringLiteral("Could not write %1: %2").arg(QDir::toNativeSeparators(path), cause);
    return false;
}
} // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, path, file.errorString());
    if (file.write(data) != data.size()) {
        const QString cause = file.errorString();
        file.cancelWriting();
        return fail(error, path, cause);
    }
    if (!file.flush()) {
        const QString cause = file.errorString();
        file.cancelWriting();
        return fail(error, path, cause);
    }
    if (!file.commit())
        return fail(error, path, file.errorString());
    return true;
}
