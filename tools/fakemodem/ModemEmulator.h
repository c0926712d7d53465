#pragma once

#include "Chipset.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

class EventLog;
class Pty;

// Answers AT commands as the chosen chipset, receives audio after AT+VTX and reports events
// (ring, caller ID, DLE codes) the script asks for, the way a voice modem would.
class ModemEmulator : public QObject {
    Q_OBJECT
public:
    ModemEmulator(const Chipset& chipset, bool echo, Pty& pty, EventLog& log, QString recordPath,
                  QObject* parent = nullptr);

    void receive(const QByteArray& data);

    bool isOffHook() const { return m_offHook; }
    bool isVoiceMode() const { return m_fclass == "8"; }

    // Unsolicited result lines; nothing is reported while the line is off hook, as a modem
    // that has answered no longer hears ringing or caller ID.
    void ring();
    void callerId(const QList<QByteArray>& lines);
    // DLE <code>; only reported off hook in voice mode (and, where the chipset needs it,
    // after tone reporting was switched on).
    void event(char code);
    // Bytes written exactly as given, whatever the state.
    void sendRaw(const QByteArray& bytes);

    // Commands containing one of these texts answer ERROR from now on.
    void addFailure(const QString& text) { m_failures << text; }
    // A modem that stops answering: commands are still logged but get no reply.
    void setMute(bool mute) { m_mute = mute; }

    // Writes the recording of a playback still in progress (used on quit).
    void finish();
    // Back to the state after power-up, as a modem plugged in again is.
    void powerUp();

Q_SIGNALS:
    void commandReceived(const QString& command);

private:
    enum class Mode { Command, Audio, Draining };
    struct Reply {
        bool ok = true;
        QList<QByteArray> info;
        QByteArray final = "OK";
    };

    void receiveCommandByte(char c, QByteArray& echo);
    void receiveAudioByte(char c);
    void processLine(const QByteArray& line);
    void runCommand(const QByteArray& token, Reply& reply);
    void runExtended(const QByteArray& token, Reply& reply);
    void reset();
    void goOffHook();
    void goOnHook();
    void sendLine(const QByteArray& text);
    void startAudio();
    void endAudio(bool aborted);
    void finishDrain();
    void saveRecording();

    Chipset m_chipset;
    bool m_echoDefault;
    Pty& m_pty;
    EventLog& m_log;
    QString m_recordPath;

    Mode m_mode = Mode::Command;
    QByteArray m_line;
    bool m_echo;
    QByteArray m_fclass = "0";
    bool m_offHook = false;
    bool m_toneReporting = false;
    int m_vsmCode = -1;
    int m_vsmRate = 8000;
    bool m_mute = false;
    QStringList m_failures;

    QByteArray m_audio;
    bool m_audioDle = false;
    QElapsedTimer m_audioClock;
    QTimer m_drainTimer;
    QByteArray m_pendingInput; // commands that arrived while playback was still draining
};
