#pragma once

#include "lists/PhoneLists.h"

#include <QByteArray>
#include <QString>
#include <vector>

// Record formats of the two list files.
//   public.tel:  8-byte records, one little-endian IEEE 754 double each.
//   private.txt: 50-byte records, a 30-character name then a 20-character number, Latin-1,
//                left-aligned and padded with spaces.
namespace listfile {
constexpr int kPublicRecordSize = 8;
constexpr int kPrivateRecordSize = 50;
constexpr int kNameWidth = 30;
constexpr int kNumberWidth = 20;
} // namespace listfile

// The 50 bytes of a private record: both fields cut or space-padded to their widths.
QByteArray EncodePrivateRecord(const PrivateEntry& e);
// An entry as the table holds it: name and number cut or space-padded to 30 and 20 characters.
PrivateEntry MakePrivateEntry(const QString& name, const QString& number);
// The 8 bytes of a public record.
QByteArray EncodePublicRecord(double value);
double DecodePublicRecord(const char* bytes);
// Decodes 50 record bytes (Latin-1) into an entry, padding kept.
PrivateEntry DecodePrivateRecord(const char* bytes);

// Writes bytes at offset, creating the file when missing. On failure returns false with a text
// naming the file in *error.
bool WriteBytesAt(const QString& path, qint64 offset, const QByteArray& bytes, QString* error);

// Write one record at its 0-based index (byte offset index0 * record size), creating the file when
// missing. On failure return false with a text naming the file in *error.
bool WritePublicRecord(const QString& path, qint64 index0, double value, QString* error);
bool WritePrivateRecord(const QString& path, qint64 index0, const PrivateEntry& e, QString* error);

// A whole list file's bytes and back. Decoding stops at the end marker (a 0 value, a record of
// NULs), at the list's capacity or at a cut-off last record, as loading the table does.
std::vector<double> DecodePublicFile(const QByteArray& data);
std::vector<PrivateEntry> DecodePrivateFile(const QByteArray& data);
QByteArray EncodePublicFile(const std::vector<double>& values);
QByteArray EncodePrivateFile(const std::vector<PrivateEntry>& entries);

// Replace the whole file with these records in this order; the old file stays intact on failure.
bool RewritePublicFile(const QString& path, const std::vector<double>& values, QString* error);
bool RewritePrivateFile(const QString& path, const std::vector<PrivateEntry>& entries,
                        QString* error);
