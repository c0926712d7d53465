#include "shell/CallNotifications.h"

#include "settings/OptionsStore.h"

#include <QAbstractItemModel>

CallNotifications::CallNotifications(QAbstractItemModel& callLog, DesktopNotifier notifier,
                                     QObject* parent)
    : QObject(parent), m_callLog(callLog), m_notifier(std::move(notifier)) {
    connect(&callLog, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { onRowsInserted(first, last); });
}

void CallNotifications::onRowsInserted(int first, int last) {
    for (int row = first; row <= last; ++row) {
        const QString line = m_callLog.data(m_callLog.index(row, 0)).toString();
        const std::optional<CallNotices::Notice> notice = m_notices.take(line);
        if (!notice)
            continue;
        // Read each time: a change saved in Setup applies to the next call.
        if (notice->kind != CallNotices::Kind::LineService && !NotifyBlockedCalls())
            continue;
        m_notifier.notify(notice->body);
    }
}
