// hushwire-fakemodem: a voice-modem emulator on a pseudo-terminal, for tests and demonstrations.
#include "Chipset.h"
#include "EventLog.h"
#include "ModemEmulator.h"
#include "Pty.h"
#include "ScriptRunner.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &c, 1);
}

int Fail(const QString& text) {
    std::fprintf(stderr, "hushwire-fakemodem: %s\n", qPrintable(text));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("hushwire-fakemodem"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Voice-modem emulator on a pseudo-terminal."));
    parser.addHelpOption();
    const QCommandLineOption linkOpt(QStringLiteral("link"),
                                     QStringLiteral("Symbolic link to the device."),
                                     QStringLiteral("PATH"));
    const QCommandLineOption chipsetOpt(QStringLiteral("chipset"),
                                        QStringLiteral("usr, conexant, v253 or data."),
                                        QStringLiteral("NAME"), QStringLiteral("usr"));
    const QCommandLineOption echoOpt(QStringLiteral("echo"),
                                     QStringLiteral("Echo commands until ATE0."));
    const QCommandLineOption recordOpt(QStringLiteral("record"),
                                       QStringLiteral("WAV file for the audio played."),
                                       QStringLiteral("FILE"));
    const QCommandLineOption logOpt(QStringLiteral("log"), QStringLiteral("Event log file."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption scriptOpt(QStringLiteral("script"),
                                       QStringLiteral("Script run before standard input."),
                                       QStringLiteral("FILE"));
    parser.addOptions({linkOpt, chipsetOpt, echoOpt, recordOpt, logOpt, scriptOpt});
    parser.process(app);

    Chipset chipset;
    if (!ChipsetByName(parser.value(chipsetOpt), &chipset))
        return Fail(QStringLiteral("unknown chipset: ") + parser.value(chipsetOpt));

    EventLog log;
    QString error;
    if (parser.isSet(logOpt) && !log.open(parser.value(logOpt), &error))
        return Fail(QStringLiteral("cannot write the log %1: %2").arg(parser.value(logOpt), error));

    Pty pty;
    if (!pty.open(&error))
        return Fail(QStringLiteral("cannot open a pseudo-terminal: ") + error);

    const QString link = parser.value(linkOpt);
    auto makeLink = [&link, &pty] {
        if (link.isEmpty())
            return true;
        // Replace a stale link from an earlier run, but never a real file.
        if (QFileInfo(link).isSymLink())
            QFile::remove(link);
        return QFile::link(pty.devicePath(), link);
    };
    if (!makeLink())
        return Fail(QStringLiteral("cannot create the link ") + link);

    auto announce = [&pty] {
        std::printf("DEVICE %s\n", qPrintable(pty.devicePath()));
        std::fflush(stdout);
    };
    announce();
    log.write("EV",
              QStringLiteral("start chipset=%1 device=%2").arg(chipset.name, pty.devicePath()));

    ModemEmulator modem(chipset, parser.isSet(echoOpt), pty, log, parser.value(recordOpt));
    QObject::connect(&pty, &Pty::received, &modem, &ModemEmulator::receive);

    auto shutDown = [&](ScriptRunner::Exit how) {
        if (how == ScriptRunner::Exit::Unplug) {
            log.write("EV", QStringLiteral("unplug"));
            pty.close(); // the client sees its port fail at once
            modem.finish();
        } else {
            log.write("EV", QStringLiteral("quit"));
            modem.finish();
            pty.close();
        }
        if (!link.isEmpty())
            QFile::remove(link);
        QCoreApplication::exit(0);
    };

    ScriptRunner script(modem, log, shutDown);
    script.setReplug([&](int downMs, std::function<void()> back) {
        // Gone as with unplug, link and all; then a new device behind the same link.
        log.write("EV", QStringLiteral("unplug"));
        pty.close();
        modem.finish();
        if (!link.isEmpty())
            QFile::remove(link);
        QTimer::singleShot(downMs, &app, [&, back = std::move(back)] {
            QString why;
            if (!pty.open(&why)) {
                log.write("EV", QStringLiteral("replug failed: ") + why);
            } else {
                modem.powerUp();
                if (!makeLink())
                    log.write("EV",
                              QStringLiteral("replug failed: cannot create the link ") + link);
                log.write("EV", QStringLiteral("replug device=%1").arg(pty.devicePath()));
                announce();
            }
            back();
        });
    });
    QObject::connect(&modem, &ModemEmulator::commandReceived, &script, &ScriptRunner::onCommand);

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return Fail(QStringLiteral("socketpair failed"));
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char c = 0;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &c, 1);
        shutDown(ScriptRunner::Exit::Quit);
    });
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);

    if (parser.isSet(scriptOpt)) {
        if (!script.loadFile(parser.value(scriptOpt), &error))
            return Fail(QStringLiteral("cannot read the script %1: %2")
                            .arg(parser.value(scriptOpt), error));
    }
    script.watchStandardInput();
    return QCoreApplication::exec();
}
