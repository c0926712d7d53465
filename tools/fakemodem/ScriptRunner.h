#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class EventLog;
class ModemEmulator;
class QSocketNotifier;

// Plays a call script line by line. Lines that take time (wait, waitfor, framed DTMF) hold the
// script back without holding the event loop, so the modem keeps answering commands.
class ScriptRunner : public QObject {
    Q_OBJECT
public:
    enum class Exit { Quit, Unplug };

    ScriptRunner(ModemEmulator& modem, EventLog& log, std::function<void(Exit)> onExit,
                 QObject* parent = nullptr);

    // Takes the device away for downMs and brings it back; calls back once it is back.
    using Replug = std::function<void(int downMs, std::function<void()> back)>;
    void setReplug(Replug replug) { m_replug = std::move(replug); }

    bool loadFile(const QString& path, QString* error);
    void addLine(const QString& line);
    // Reads further script lines from standard input; its end is not the end of the script.
    void watchStandardInput();

    // Records a command the modem received; releases a matching waitfor.
    void onCommand(const QString& command);

private:
    void runNext();
    // Runs one line; returns false when the line holds the script until resume().
    bool execute(const QString& line);
    void resume();
    void runSteps(QList<std::function<void()>> steps, int intervalMs);
    void readStandardInput();
    void fail(const QString& line, const QString& why);

    ModemEmulator& m_modem;
    EventLog& m_log;
    std::function<void(Exit)> m_onExit;
    Replug m_replug;
    QStringList m_queue;
    bool m_held = false;
    bool m_running = false;
    bool m_exited = false;

    QStringList m_commands; // every command received, in order
    qsizetype m_cursor = 0; // waitfor looks at commands from here on
    QString m_waitingFor;

    QSocketNotifier* m_stdin = nullptr;
    QByteArray m_stdinBuffer;
};
