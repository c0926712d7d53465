#pragma once

#include <QObject>
#include <initializer_list>
#include <vector>

class QSocketNotifier;

// Turns Unix signals (SIGTERM, SIGINT, SIGHUP) into a Qt signal on the GUI thread. The signal
// handler only writes the signal number into a socket pair; the notifier reads it in the event
// loop, where the orderly shut-down can run. One watcher per process.
class UnixSignalWatcher : public QObject {
    Q_OBJECT
public:
    UnixSignalWatcher(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
    ~UnixSignalWatcher() override;

Q_SIGNALS:
    void signalReceived(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
    std::vector<int> m_signals;
};
