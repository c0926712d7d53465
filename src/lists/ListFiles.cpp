#include "lists/ListFiles.h"

#include "platform/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cstring>

namespace {
QString fitted(const QString& text, int width) {
    return text.left(width).leftJustified(width, QLatin1Char(' '));
}
} // namespace

bool WriteBytesAt(const QString& path, qint64 offset, const QByteArray& bytes, QString* error) {
    auto fail = [&](const QString& cause) {
        if (error)
            *error =
                QStringLiteral("Could not write %1: %2").arg(QDir::toNativeSeparators(path), cause);
        return false;
    };
    if (offset < 0)
        return fail(QStringLiteral("invalid record position"));
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return fail(file.errorString());
    if (!file.seek(offset) || file.write(bytes) != bytes.size() || !file.flush())
        return fail(file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return true;
}

QByteArray EncodePrivateRecord(const PrivateEntry& e) {
    QByteArray record = fitted(e.Name, listfile::kNameWidth).toLatin1();
    record += fitted(e.Number, listfile::kNumberWidth).toLatin1();
    return record;
}

PrivateEntry MakePrivateEntry(const QString& name, const QString& number) {
    return PrivateEntry{fitted(name, listfile::kNameWidth), fitted(number, listfile::kNumberWidth)};
}

QByteArray EncodePublicRecord(double value) {
    const quint64 bits = qToLittleEndian(std::bit_cast<quint64>(value));
    return QByteArray(reinterpret_cast<const char*>(&bits), sizeof bits);
}

double DecodePublicRecord(const char* bytes) {
    quint64 bits;
    std::memcpy(&bits, bytes, sizeof bits);
    return std::bit_cast<double>(qFromLittleEndian(bits));
}

PrivateEntry DecodePrivateRecord(const char* bytes) {
    return PrivateEntry{QString::fromLatin1(bytes, listfile::kNameWidth),
                        QString::fromLatin1(bytes + listfile::kNameWidth, listfile::kNumberWidth)};
}

bool WritePublicRecord(const QString& path, qint64 index0, double value, QString* error) {
    return WriteBytesAt(path, index0 * listfile::kPublicRecordSize, EncodePublicRecord(value),
                        error);
}

bool WritePrivateRecord(const QString& path, qint64 index0, const PrivateEntry& e, QString* error) {
    return WriteBytesAt(path, index0 * listfile::kPrivateRecordSize, EncodePrivateRecord(e), error);
}

std::vector<double> DecodePublicFile(const QByteArray& data) {
    std::vector<double> values;
    const qint64 records =
        std::min<qint64>(data.size() / listfile::kPublicRecordSize, PhoneLists::kPublicCapacity);
    for (qint64 i = 0; i < records; ++i) {
        const double v = DecodePublicRecord(data.constData() + i * listfile::kPublicRecordSize);
        if (v == 0)
            break;
        values.push_back(v);
    }
    return values;
}

std::vector<PrivateEntry> DecodePrivateFile(const QByteArray& data) {
    std::vector<PrivateEntry> entries;
    const qint64 records =
        std::min<qint64>(data.size() / listfile::kPrivateRecordSize, PhoneLists::kPrivateCapacity);
    for (qint64 i = 0; i < records; ++i) {
        PrivateEntry e = DecodePrivateRecord(data.constData() + i * listfile::kPrivateRecordSize);
        if (e.isTerminator())
            break;
        entries.push_back(std::move(e));
    }
    return entries;
}

QByteArray EncodePublicFile(const std::vector<double>& values) {
    QByteArray data;
    data.reserve(qsizetype(values.size()) * listfile::kPublicRecordSize);
    for (double v : values)
        data += EncodePublicRecord(v);
    return data;
}

QByteArray EncodePrivateFile(const std::vector<PrivateEntry>& entries) {
    QByteArray data;
    data.reserve(qsizetype(entries.size()) * listfile::kPrivateRecordSize);
    for (const PrivateEntry& e : entries)
        data += EncodePrivateRecord(e);
    return data;
}

bool RewritePublicFile(const QString& path, const std::vector<double>& values, QString* error) {
    return WriteFileAtomically(path, EncodePublicFile(values), error);
}

bool RewritePrivateFile(const QString& path, const std::vector<PrivateEntry>& entries,
                        QString* error) {
    return WriteFileAtomically(path, EncodePrivateFile(entries), error);
}
