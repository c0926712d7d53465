#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>

// The real programs on the modem emulator, each in a private HOME, settings, runtime and data
// folder: the emulator with its recording and command log, Line0 chosen on its device, and the
// program's sound files in the data folder.
class EmulatedLine {
public:
    EmulatedLine();
    ~EmulatedLine();

    // Whether the program and the emulator are built.
    static bool Built();
    // Starts the emulator and chooses Line0 on its device; false when it does not start.
    bool start();

    // The private environment. Without a display the window system variables are removed.
    QProcessEnvironment environment(bool display) const;
    QString appFolder() const { return m_dir.path() + QStringLiteral("/app"); }
    QString program(const QString& name = QStringLiteral("hushwire")) const;
    // Sets values in the program's settings file ("Sip1/Listen").
    void setSettings(const QVariantMap& values) const;
    // Starts hushwire-service --service in env (the private one when empty), behind the
    // launcher command given (a program that starts it in turn), with its standard error
    // gathered in journal.
    void startService(QProcess& service, QString& journal, const QStringList& launcher = {},
                      const QProcessEnvironment& env = {}) const;

    // Script lines for the emulator ("ring\nwait 800\ncid NMBR=...\n").
    void play(const QByteArray& script) { modem.write(script); }
    QString modemLog() const;
    int modemLogCount(const QString& text) const;
    // Whether the modem's last hook change put it back on hook.
    bool onHook() const;
    // Today's call log lines.
    QStringList logLines() const;

    struct Result {
        int status = -1;
        QString out;
        QString err;
    };
    // Runs the program with these arguments to its end (no display).
    Result run(const QStringList& args, const QString& name = QStringLiteral("hushwire")) const;

    QProcess modem;

private:
    QTemporaryDir m_dir;
};
