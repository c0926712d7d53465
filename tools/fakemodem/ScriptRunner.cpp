#include "ScriptRunner.h"

#include "CallerId.h"
#include "EventLog.h"
#include "ModemEmulator.h"

#include <QDateTime>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

// Text of send/raw with \r, \n, \t, \\ and \xHH escapes turned into bytes.
QByteArray Unescape(const QString& text) {
    const QByteArray in = text.toLatin1();
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] != '\\' || i + 1 >= in.size()) {
            out += in[i];
            continue;
        }
        const char e = in[++i];
        if (e == 'r')
            out += '\r';
        else if (e == 'n')
            out += '\n';
        else if (e == 't')
            out += '\t';
        else if (e == 'x' && i + 2 < in.size()) {
            bool ok = false;
            const int v = in.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(v);
                i += 2;
            } else {
                out += "\\x";
            }
        } else {
            out += e;
        }
    }
    return out;
}

bool IsDtmfKey(QChar c) {
    return c.isDigit() || c == QLatin1Char('*') || c == QLatin1Char('#') ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('D'));
}

} // namespace

ScriptRunner::ScriptRunner(ModemEmulator& modem, EventLog& log, std::function<void(Exit)> onExit,
                           QObject* parent)
    : QObject(parent), m_modem(modem), m_log(log), m_onExit(std::move(onExit)) {}

bool ScriptRunner::loadFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines)
        addLine(line);
    return true;
}

void ScriptRunner::addLine(const QString& line) {
    m_queue << line;
    runNext();
}

void ScriptRunner::runNext() {
    if (m_running)
        return; // a line that finished synchronously is followed by the loop below
    m_running = true;
    while (!m_held && !m_exited && !m_queue.isEmpty()) {
        const QString line = m_queue.takeFirst().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        m_log.write("SC", line);
        if (!execute(line))
            m_held = true;
    }
    m_running = false;
}

void ScriptRunner::resume() {
    m_held = false;
    runNext();
}

void ScriptRunner::fail(const QString& line, const QString& why) {
    m_log.write("EV", QStringLiteral("script error: %1: %2").arg(why, line));
    std::fprintf(stderr, "hushwire-fakemodem: %s: %s\n", qPrintable(why), qPrintable(line));
}

bool ScriptRunner::execute(const QString& line) {
    const qsizetype space = line.indexOf(QLatin1Char(' '));
    const QString cmd = (space < 0 ? line : line.left(space)).toLower();
    const QString rest = space < 0 ? QString() : line.mid(space + 1).trimmed();

    if (cmd == QLatin1String("wait")) {
        bool ok = false;
        const int ms = rest.toInt(&ok);
        if (!ok || ms < 0) {
            fail(line, QStringLiteral("wait needs milliseconds"));
            return true;
        }
        QTimer::singleShot(ms, this, &ScriptRunner::resume);
        return false;
    }
    if (cmd == QLatin1String("waitfor")) {
        if (rest.isEmpty()) {
            fail(line, QStringLiteral("waitfor needs a text"));
            return true;
        }
        for (qsizetype i = m_cursor; i < m_commands.size(); ++i) {
            if (m_commands[i].contains(rest, Qt::CaseInsensitive)) {
                m_cursor = i + 1;
                return true;
            }
        }
        m_waitingFor = rest;
        return false;
    }
    if (cmd == QLatin1String("ring")) {
        m_modem.ring();
        return true;
    }
    if (cmd == QLatin1String("cid")) {
        CallerIdMessage msg;
        QString error;
        if (!BuildCallerId(SplitWords(rest), QDateTime::currentDateTime(), &msg, &error)) {
            fail(line, error);
            return true;
        }
        if (msg.beforeRing)
            m_log.write("EV", QStringLiteral("caller ID before the first ring"));
        m_modem.callerId(msg.lines);
        return true;
    }
    if (cmd == QLatin1String("send")) {
        m_modem.sendRaw(Unescape(rest) + "\r\n");
        return true;
    }
    if (cmd == QLatin1String("raw")) {
        m_modem.sendRaw(Unescape(rest));
        return true;
    }
    if (cmd == QLatin1String("dtmf") || cmd == QLatin1String("dtmf-framed")) {
        const QString keys = rest.toUpper();
        for (const QChar k : keys) {
            if (!IsDtmfKey(k)) {
                fail(line, QStringLiteral("not a DTMF key: %1").arg(k));
                return true;
            }
        }
        if (cmd == QLatin1String("dtmf")) {
            for (const QChar k : keys)
                m_modem.event(k.toLatin1());
            return true;
        }
        // A held key: frame start, the digit repeated while held, frame end.
        QList<std::function<void()>> steps;
        for (const QChar k : keys) {
            const char key = k.toLatin1();
            steps << [this] { m_modem.event('/'); };
            for (int i = 0; i < 3; ++i)
                steps << [this, key] { m_modem.event(key); };
            steps << [this] { m_modem.event('~'); };
        }
        QTimer::singleShot(0, this, [this, steps] { runSteps(steps, 70); });
        return false;
    }
    static const QList<std::pair<QString, char>> tones = {{QStringLiteral("busy"), 'b'},
                                                          {QStringLiteral("dialtone"), 'd'},
                                                          {QStringLiteral("loop"), 'l'},
                                                          {QStringLiteral("silence"), 's'}};
    for (const auto& [name, code] : tones) {
        if (cmd == name) {
            m_modem.event(code);
            return true;
        }
    }
    if (cmd == QLatin1String("fail")) {
        m_modem.addFailure(rest);
        return true;
    }
    if (cmd == QLatin1String("mute")) {
        m_modem.setMute(rest != QLatin1String("off"));
        return true;
    }
    if (cmd == QLatin1String("replug")) {
        bool ok = rest.isEmpty();
        const int ms = ok ? 1000 : rest.toInt(&ok);
        if (!ok || ms < 0 || !m_replug) {
            fail(line, QStringLiteral("replug needs milliseconds"));
            return true;
        }
        m_replug(ms, [this] { resume(); });
        return false;
    }
    if (cmd == QLatin1String("unplug") || cmd == QLatin1String("quit")) {
        m_exited = true;
        if (m_stdin)
            m_stdin->setEnabled(false);
        m_onExit(cmd == QLatin1String("unplug") ? Exit::Unplug : Exit::Quit);
        return false;
    }
    fail(line, QStringLiteral("unknown script command"));
    return true;
}

void ScriptRunner::runSteps(QList<std::function<void()>> steps, int intervalMs) {
    if (steps.isEmpty()) {
        resume();
        return;
    }
    auto step = steps.takeFirst();
    step();
    if (steps.isEmpty()) {
        resume();
        return;
    }
    QTimer::singleShot(intervalMs, this,
                       [this, steps, intervalMs] { runSteps(steps, intervalMs); });
}

void ScriptRunner::onCommand(const QString& command) {
    m_commands << command;
    if (m_waitingFor.isEmpty() || !command.contains(m_waitingFor, Qt::CaseInsensitive))
        return;
    m_waitingFor.clear();
    m_cursor = m_commands.size();
    // Let the modem finish answering this command before the script goes on.
    QTimer::singleShot(0, this, &ScriptRunner::resume);
}

void ScriptRunner::watchStandardInput() {
    m_stdin = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_stdin, &QSocketNotifier::activated, this, &ScriptRunner::readStandardInput);
}

void ScriptRunner::readStandardInput() {
    char buf[4096];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n < 0 && errno == EINTR)
        return;
    if (n <= 0) {
        // End of input: the emulator keeps serving the device until quit or a signal.
        m_stdin->setEnabled(false);
        if (!m_stdinBuffer.isEmpty())
            addLine(QString::fromUtf8(std::exchange(m_stdinBuffer, {})));
        return;
    }
    m_stdinBuffer.append(buf, qsizetype(n));
    qsizetype nl;
    while ((nl = m_stdinBuffer.indexOf('\n')) >= 0) {
        const QByteArray line = m_stdinBuffer.left(nl);
        m_stdinBuffer.remove(0, nl + 1);
        addLine(QString::fromUtf8(line));
    }
}
