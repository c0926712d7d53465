#include "calllog/ui/AddFromLog.h"

#include "lists/ui/ListWindows.h"
#include "platform/MessageSeam.h"

#include <QAction>
#include <QCoreApplication>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>

bool CallerNumberFromLogLine(const QString& line, QString* number) {
    if (!line.contains(QLatin1String("CallerID")))
        return false;
    const QString rest = line.mid(9);
    const qsizetype space = rest.indexOf(QLatin1Char(' '));
    *number = (space < 0 ? rest : rest.left(space)).trimmed();
    return true;
}

namespace {
// Shows the menu on the release of the right button and keeps the press from selecting the row
// under the mouse: the items act on the line that was selected before the click.
class RightReleasePopup : public QObject {
public:
    RightReleasePopup(QMenu* menu, QObject* parent) : QObject(parent), m_menu(menu) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type t = event->type();
        if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonRelease &&
            t != QEvent::MouseButtonDblClick)
            return QObject::eventFilter(watched, event);
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton)
            return QObject::eventFilter(watched, event);
        if (t == QEvent::MouseButtonRelease)
            m_menu->popup(mouse->globalPosition().toPoint());
        return true;
    }

private:
    QMenu* m_menu;
};

void addSelectedCaller(QListWidget* lstWhite, ListWindows& windows, ListKind kind) {
    const QListWidgetItem* selected = lstWhite->selectedItems().value(0);
    const QString line = selected ? selected->text() : QString();
    QString number;
    if (!CallerNumberFromLogLine(line, &number)) {
        ShowMessage(QCoreApplication::translate("AddFromLog", "Plese select a Caller ID entry"),
                    QCoreApplication::translate("AddFromLog", "Add Caller ID To Black List"),
                    MessageIcon::Information);
        return;
    }
    windows.openEntryDialogFromLog(kind, number);
}
} // namespace

QMenu* InstallAddFromLogMenu(QListWidget* lstWhite, ListWindows& windows) {
    auto* menu = new QMenu(QStringLiteral("tmp"), lstWhite);
    menu->setObjectName(QStringLiteral("mnutmp"));
    QAction* tele =
        menu->addAction(QCoreApplication::translate("AddFromLog", "Add to Telemarketing List"));
    tele->setObjectName(QStringLiteral("mnuAddTele"));
    QAction* priv =
        menu->addAction(QCoreApplication::translate("AddFromLog", "Add to Private Block List"));
    priv->setObjectName(QStringLiteral("mnuAddPrivate"));
    QObject::connect(tele, &QAction::triggered, lstWhite, [lstWhite, &windows] {
        addSelectedCaller(lstWhite, windows, ListKind::Public);
    });
    QObject::connect(priv, &QAction::triggered, lstWhite, [lstWhite, &windows] {
        addSelectedCaller(lstWhite, windows, ListKind::Private);
    });
    lstWhite->viewport()->installEventFilter(new RightReleasePopup(menu, lstWhite));
    return menu;
}
