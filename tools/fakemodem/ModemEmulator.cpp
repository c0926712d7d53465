#include "ModemEmulator.h"

#include "EventLog.h"
#include "Pty.h"
#include "WavWriter.h"

#include <cctype>

namespace {

constexpr char kDle = 0x10;
constexpr char kEtx = 0x03;
constexpr char kCan = 0x18;
constexpr qsizetype kMaxLine = 512;

// Splits the text after "AT" into single commands: basic ones (a letter and its number,
// S-registers, &-commands) and extended ones (+ or # up to the next ';').
QList<QByteArray> SplitCommands(const QByteArray& body) {
    QList<QByteArray> tokens;
    qsizetype i = 0;
    const qsizetype n = body.size();
    auto digitsFrom = [&](qsizetype j) {
        while (j < n && (std::isdigit(static_cast<unsigned char>(body[j])) != 0))
            ++j;
        return j;
    };
    while (i < n) {
        const char c = body[i];
        qsizetype end = i + 1;
        if (c == ' ' || c == ';') {
            ++i;
            continue;
        }
        if (c == '+' || c == '#') {
            end = body.indexOf(';', i);
            if (end < 0)
                end = n;
        } else if (c == 'D') {
            end = n; // the dial string runs to the end of the line
        } else if (c == '&' || c == '\\' || c == '%') {
            end = digitsFrom(std::min(i + 2, n));
        } else if (c == 'S') {
            end = digitsFrom(i + 1);
            if (end < n && body[end] == '?')
                ++end;
            else if (end < n && body[end] == '=')
                end = digitsFrom(end + 1);
        } else {
            end = digitsFrom(i + 1);
        }
        tokens << body.mid(i, end - i);
        i = end;
    }
    return tokens;
}

} // namespace

ModemEmulator::ModemEmulator(const Chipset& chipset, bool echo, Pty& pty, EventLog& log,
                             QString recordPath, QObject* parent)
    : QObject(parent), m_chipset(chipset), m_echoDefault(echo), m_pty(pty), m_log(log),
      m_recordPath(std::move(recordPath)), m_echo(echo) {
    m_drainTimer.setSingleShot(true);
    connect(&m_drainTimer, &QTimer::timeout, this, &ModemEmulator::finishDrain);
    reset();
}

void ModemEmulator::reset() {
    m_echo = m_echoDefault;
    m_fclass = "0";
    if (m_offHook)
        goOnHook();
    m_toneReporting = false;
    // Until AT+VSM says otherwise: the first unsigned linear format, as most modems start in.
    m_vsmCode = -1;
    for (const VoiceFormat& f : std::as_const(m_chipset.formats)) {
        if (m_vsmCode < 0 || (!f.muLaw && !f.signedLinear)) {
            m_vsmCode = f.code;
            if (!f.muLaw && !f.signedLinear)
                break;
        }
    }
    m_vsmRate = 8000;
}

void ModemEmulator::receive(const QByteArray& data) {
    QByteArray echo;
    for (const char c : data) {
        switch (m_mode) {
        case Mode::Command:
            receiveCommandByte(c, echo);
            break;
        case Mode::Audio:
            receiveAudioByte(c);
            break;
        case Mode::Draining:
            // The sender may still cut the rest of the playback short.
            if (m_audioDle && c == kCan) {
                m_audioDle = false;
                m_drainTimer.stop();
                finishDrain();
            } else {
                m_audioDle = (c == kDle);
                m_pendingInput.append(c);
            }
            break;
        }
    }
    if (!echo.isEmpty())
        m_pty.write(echo);
}

void ModemEmulator::receiveCommandByte(char c, QByteArray& echo) {
    if (m_echo && c != kDle && c != '\n')
        echo.append(c);
    if (c == '\r') {
        if (!echo.isEmpty()) {
            m_pty.write(echo);
            echo.clear();
        }
        const QByteArray line = m_line.trimmed();
        m_line.clear();
        if (!line.isEmpty())
            processLine(line);
    } else if (c == '\b' || c == 0x7f) {
        m_line.chop(1);
    } else if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f && m_line.size() < kMaxLine) {
        m_line.append(c);
    }
}

void ModemEmulator::processLine(const QByteArray& line) {
    const QString text = QString::fromLatin1(line);
    m_log.write("RX", text);
    Q_EMIT commandReceived(text);
    if (!line.toUpper().startsWith("AT") || m_mute)
        return;
    Reply reply;
    for (const QString& f : std::as_const(m_failures)) {
        if (text.contains(f, Qt::CaseInsensitive))
            reply.ok = false;
    }
    if (reply.ok) {
        const QList<QByteArray> tokens = SplitCommands(line.mid(2).toUpper());
        for (const QByteArray& token : tokens) {
            runCommand(token, reply);
            if (!reply.ok)
                break;
        }
    }
    for (const QByteArray& info : std::as_const(reply.info))
        sendLine(info);
    sendLine(reply.ok ? reply.final : QByteArray("ERROR"));
    if (reply.ok && reply.final == "CONNECT")
        startAudio();
}

void ModemEmulator::runCommand(const QByteArray& token, Reply& reply) {
    const char c = token[0];
    const QByteArray arg = token.mid(1);
    if (c == '+' || c == '#') {
        runExtended(token, reply);
    } else if (c == 'Z') {
        reset();
    } else if (c == 'E') {
        m_echo = arg != "0";
    } else if (c == 'I') {
        if (arg == "3")
            reply.info += m_chipset.identity;
        else if (arg.isEmpty() || arg == "0")
            reply.info += m_chipset.productCode;
        else
            reply.info += m_chipset.identity.front();
    } else if (c == 'H') {
        if (arg.isEmpty() || arg == "0")
            goOnHook();
        else
            goOffHook();
    } else if (c == 'A') {
        if (isVoiceMode() && m_chipset.hasVoice()) {
            goOffHook();
            reply.final = "VCON";
        } else {
            reply.final = "NO CARRIER";
        }
    } else if (c == 'D') {
        reply.final = "NO DIALTONE";
    }
    // Everything else (S-registers, V, Q, X, L, M, &-settings...) is taken as set.
}

void ModemEmulator::runExtended(const QByteArray& token, Reply& reply) {
    const qsizetype eq = token.indexOf('=');
    const QByteArray name = eq < 0 ? token : token.left(eq);
    const QByteArray value = eq < 0 ? QByteArray() : token.mid(eq + 1);
    const bool query = value == "?" || token.endsWith('?');
    const bool voice = m_chipset.hasVoice();
    auto requireVoiceMode = [&]() {
        if (!voice || !isVoiceMode()) {
            reply.ok = false;
            return false;
        }
        return true;
    };

    if (name == "+FCLASS") {
        if (value == "?")
            reply.info += m_chipset.classes;
        else if (query)
            reply.info += m_fclass;
        else if (m_chipset.classes.split(',').contains(value))
            m_fclass = value;
        else
            reply.ok = false;
    } else if (name == "+VCID" || (name == "#CID" && m_chipset.hashCid)) {
        if (value == "?")
            reply.info += "(0-2)";
    } else if (name == "+IFC" || name == "+VIP" || name == "+VGT" || name == "+VGR" ||
               name == "+VSD" || name == "+VRA" || name == "+VRN" || name == "+VIT") {
        if (name.startsWith("+V") && !voice)
            reply.ok = false;
    } else if (name == "#VTD") {
        if (m_chipset.needsToneReporting)
            m_toneReporting = true;
        else
            reply.ok = false;
    } else if (name == "+VSM") {
        if (!voice) {
            reply.ok = false;
        } else if (value == "?") {
            for (const VoiceFormat& f : std::as_const(m_chipset.formats))
                reply.info += f.listing;
        } else if (query) {
            reply.info += QByteArray::number(m_vsmCode) + ',' + QByteArray::number(m_vsmRate);
        } else {
            const QList<QByteArray> parts = value.split(',');
            const VoiceFormat* f = m_chipset.format(parts.value(0).toInt());
            const int rate = parts.size() > 1 ? parts[1].toInt() : 8000;
            if (f == nullptr || !f->rates.contains(rate)) {
                reply.ok = false;
            } else {
                m_vsmCode = f->code;
                m_vsmRate = rate;
            }
        }
    } else if (name == "+VLS" || name == "#VLS") {
        if (value == "?") {
            reply.ok = voice;
            reply.info += "0,1";
        } else if (value == "0") {
            goOnHook();
        } else if (name == "+VLS" && m_chipset.refusesPlusVls) {
            reply.ok = false;
        } else if (requireVoiceMode()) {
            goOffHook();
            reply.final = m_chipset.voiceLineAnswer;
        }
    } else if (name == "+VTX") {
        if (requireVoiceMode() && !m_offHook)
            reply.ok = false;
        else if (reply.ok)
            reply.final = "CONNECT";
    } else {
        reply.ok = false;
    }
}

void ModemEmulator::goOffHook() {
    if (!m_offHook)
        m_log.write("EV", QStringLiteral("offhook"));
    m_offHook = true;
}

void ModemEmulator::goOnHook() {
    if (m_offHook)
        m_log.write("EV", QStringLiteral("onhook"));
    m_offHook = false;
}

void ModemEmulator::sendLine(const QByteArray& text) {
    m_log.write("TX", QString::fromLatin1(text));
    m_pty.write("\r\n" + text + "\r\n");
}

void ModemEmulator::ring() {
    if (m_offHook) {
        m_log.write("EV", QStringLiteral("ring not reported (off hook)"));
        return;
    }
    sendLine("RING");
}

void ModemEmulator::callerId(const QList<QByteArray>& lines) {
    if (m_offHook) {
        m_log.write("EV", QStringLiteral("caller ID not reported (off hook)"));
        return;
    }
    // One burst, as the modem decodes the whole message before reporting it.
    QByteArray burst;
    for (const QByteArray& line : lines) {
        m_log.write("TX", QString::fromLatin1(line));
        burst += "\r\n" + line + "\r\n";
    }
    m_pty.write(burst);
}

void ModemEmulator::event(char code) {
    const QString what = QStringLiteral("DLE %1").arg(QLatin1Char(code));
    if (!m_offHook || !isVoiceMode()) {
        m_log.write("EV", what + QStringLiteral(" not reported (not off hook in voice mode)"));
        return;
    }
    if (m_chipset.needsToneReporting && !m_toneReporting) {
        m_log.write("EV", what + QStringLiteral(" not reported (tone reporting off)"));
        return;
    }
    m_log.write("TX", what);
    m_pty.write(QByteArray(1, kDle) + code);
}

void ModemEmulator::sendRaw(const QByteArray& bytes) {
    m_log.write("TX", QStringLiteral("RAW ") + EventLog::printable(bytes));
    m_pty.write(bytes);
}

void ModemEmulator::startAudio() {
    m_mode = Mode::Audio;
    m_audio.clear();
    m_audioDle = false;
    m_audioClock.start();
    m_log.write("EV", QStringLiteral("vtx start format=%1 rate=%2").arg(m_vsmCode).arg(m_vsmRate));
}

void ModemEmulator::receiveAudioByte(char c) {
    if (!m_audioDle) {
        if (c == kDle)
            m_audioDle = true;
        else
            m_audio.append(c);
        return;
    }
    m_audioDle = false;
    if (c == kDle)
        m_audio.append(kDle);
    else if (c == kEtx)
        endAudio(false);
    else if (c == kCan)
        endAudio(true);
    else
        m_log.write("EV", QStringLiteral("vtx ignored DLE <%1>")
                              .arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0')));
}

void ModemEmulator::endAudio(bool aborted) {
    saveRecording();
    const qint64 playMs = qint64(m_audio.size()) * 1000 / std::max(1, m_vsmRate);
    const qint64 remaining = aborted ? 0 : playMs - m_audioClock.elapsed();
    m_log.write("EV", QStringLiteral("vtx end bytes=%1 %2")
                          .arg(m_audio.size())
                          .arg(aborted ? QStringLiteral("aborted") : QStringLiteral("complete")));
    m_mode = Mode::Draining;
    m_audioDle = false;
    m_pendingInput.clear();
    if (remaining > 0)
        m_drainTimer.start(int(remaining));
    else
        finishDrain();
}

void ModemEmulator::finishDrain() {
    if (m_mode != Mode::Draining)
        return;
    m_mode = Mode::Command;
    sendLine("OK");
    // A DLE ETX following an abort belongs to the playback that is already over.
    QByteArray pending = std::exchange(m_pendingInput, {});
    if (pending.startsWith(QByteArray(1, kDle) + kEtx))
        pending.remove(0, 2);
    if (!pending.isEmpty())
        receive(pending);
}

void ModemEmulator::powerUp() {
    m_drainTimer.stop();
    m_mode = Mode::Command;
    m_line.clear();
    m_audio.clear();
    m_audioDle = false;
    m_pendingInput.clear();
    reset();
}

void ModemEmulator::finish() {
    if (m_mode == Mode::Audio)
        saveRecording();
}

void ModemEmulator::saveRecording() {
    if (m_recordPath.isEmpty())
        return;
    const VoiceFormat* f = m_chipset.format(m_vsmCode);
    QByteArray samples = m_audio;
    if (f != nullptr && f->signedLinear) {
        // WAV keeps 8-bit PCM unsigned.
        for (char& s : samples)
            s = char(static_cast<unsigned char>(s) ^ 0x80);
    }
    QString error;
    if (!WriteWav(m_recordPath, samples, f != nullptr && f->muLaw, m_vsmRate, &error))
        m_log.write("EV", QStringLiteral("recording not written: ") + error);
}
