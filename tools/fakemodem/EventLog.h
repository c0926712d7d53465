#pragma once

#include <QFile>
#include <QString>

// The emulator's log: one line per event, "<ms since the epoch> <kind> <text>", flushed at once
// so a test or benchmark can read it while the emulator runs.
class EventLog {
public:
    bool open(const QString& path, QString* error);
    void write(const char* kind, const QString& text);

    // Printable form of raw bytes for the log (control bytes as <xx>).
    static QString printable(const QByteArray& bytes);

private:
    QFile m_file;
};
