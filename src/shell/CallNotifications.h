#pragma once

#include "calllog/CallNotices.h"
#include "shell/DesktopNotifier.h"

#include <QObject>

class QAbstractItemModel;

// Raises a desktop notification for each call log line worth one (see CallNotices) that is added
// to the on-screen call log from now on: the lines the program logs itself, or, as a service's
// window, the lines it reads from the service's log. Lines already shown are not news.
// Blocked calls and PIN unlocks are notified while the setting Config/NotifyBlocked is on (the
// default); a line going out of service or coming back always is.
class CallNotifications : public QObject {
    Q_OBJECT
public:
    CallNotifications(QAbstractItemModel& callLog, DesktopNotifier notifier,
                      QObject* parent = nullptr);

private:
    void onRowsInserted(int first, int last);

    QAbstractItemModel& m_callLog;
    DesktopNotifier m_notifier;
    CallNotices m_notices;
};
