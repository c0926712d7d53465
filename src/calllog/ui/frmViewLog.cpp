#include "calllog/ui/frmViewLog.h"

#include "calllog/CallLog.h"
#include "calllog/LogFileLines.h"
#include "calllog/ui/LogPrinter.h"
#include "platform/AppFolder.h"
#include "platform/MessageSeam.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString LogFolderOf(const CallLog& log) {
    const QString today = log.DailyLogPath();
    if (!today.isEmpty())
        return QFileInfo(today).absolutePath();
    return AppFile(QStringLiteral("LogFiles"));
}

} // namespace

frmViewLog::frmViewLog(CallLog& log, QWidget* parent)
    : QDialog(parent), m_log(log), m_folder(LogFolderOf(log)), m_printerFactory(&DefaultPrinter) {
    setObjectName(QStringLiteral("frmViewLog"));
    setWindowTitle(QCoreApplication::translate("frmViewLog", "View Call Logs"));
    buildWindow();
    RefreshFiles();
}

frmViewLog::~frmViewLog() = default;

void frmViewLog::buildWindow() {
    auto* cmdPrintLog = new QPushButton(QCoreApplication::translate("frmViewLog", "Print"));
    cmdPrintLog->setObjectName(QStringLiteral("cmdPrintLog"));
    auto* cmdExit = new QPushButton(QCoreApplication::translate("frmViewLog", "Exit"));
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    for (QPushButton* b : {cmdPrintLog, cmdExit})
        b->setAutoDefault(false);
    connect(cmdPrintLog, &QPushButton::clicked, this, &frmViewLog::PrintLog);
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::reject);

    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::StyledPanel);

    m_list1 = new QListWidget;
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setUniformItemSizes(true); // a day's log can hold tens of thousands of lines
    m_list1->setMinimumWidth(420);

    auto* command1 = new QPushButton(QStringLiteral("->"));
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setAutoDefault(false);
    command1->setMaximumWidth(40);
    connect(command1, &QPushButton::clicked, this, &frmViewLog::DisplaySelected);

    m_file1 = new QListWidget;
    m_file1->setObjectName(QStringLiteral("File1"));
    m_file1->setMaximumWidth(160);
    m_file1->installEventFilter(this);
    m_file1->viewport()->installEventFilter(this);
    connect(m_file1, &QListWidget::itemDoubleClicked, command1, &QPushButton::click);

    m_mmuLog = new QMenu(QCoreApplication::translate("frmViewLog", "Log"), this);
    m_mmuLog->setObjectName(QStringLiteral("mmuLog"));
    QAction* display = m_mmuLog->addAction(QCoreApplication::translate("frmViewLog", "Display"));
    display->setObjectName(QStringLiteral("mmuDisplay"));
    connect(display, &QAction::triggered, command1, &QPushButton::click);
    QAction* remove = m_mmuLog->addAction(QCoreApplication::translate("frmViewLog", "Delete"));
    remove->setObjectName(QStringLiteral("mmuDelete"));
    connect(remove, &QAction::triggered, this, &frmViewLog::DeleteSelected);

    auto* frameLayout = new QHBoxLayout(frame);
    frameLayout->addWidget(m_file1);
    frameLayout->addWidget(command1);
    frameLayout->addWidget(m_list1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdPrintLog);
    buttons->addStretch();
    buttons->addWidget(cmdExit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);
    resize(680, 420);
}

void frmViewLog::RefreshFiles() {
    const QString previous = selectedName();
    m_file1->clear();
    const QStringList names =
        QDir(m_folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    m_file1->addItems(names);
    const int row = previous.isEmpty() ? -1 : int(names.indexOf(previous));
    if (row >= 0)
        m_file1->setCurrentRow(row);
}

QString frmViewLog::selectedName() const {
    const QListWidgetItem* item = m_file1->currentItem();
    if (!item || !item->isSelected())
        return {};
    return item->text();
}

bool frmViewLog::isTodaysFile(const QString& path) const {
    const QString today = m_log.DailyLogPath();
    if (today.isEmpty())
        return false;
    const QFileInfo a(path);
    const QFileInfo b(today);
    if (QDir::cleanPath(a.absoluteFilePath()) == QDir::cleanPath(b.absoluteFilePath()))
        return true;
    // The same file reached through a link is still the open one.
    const QString ca = a.canonicalFilePath();
    return !ca.isEmpty() && ca == b.canonicalFilePath();
}

void frmViewLog::DisplaySelected() {
    m_list1->clear();
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    const QString path = m_folder + QLatin1Char('/') + name;
    QStringList lines;
    if (isTodaysFile(path)) {
        // Closing flushes every line logged so far; the log is reopened whatever the read gave,
        // so that logging never stops because of the viewer.
        m_log.CloseDailyLog();
        ReadLogFileLines(path, lines);
        m_log.ReopenDailyLog();
    } else {
        ReadLogFileLines(path, lines);
    }
    m_list1->addItems(lines);
}

void frmViewLog::PrintLog() {
    const QString title = QCoreApplication::translate("frmViewLog", "Print Log");
    if (m_list1->count() == 0) {
        ShowMessage(QCoreApplication::translate("frmViewLog", "Please select a log file"), title,
                    MessageIcon::Information);
        m_file1->setFocus(Qt::OtherFocusReason);
        return;
    }
    std::unique_ptr<QPrinter> printer = m_printerFactory ? m_printerFactory() : nullptr;
    if (!printer) {
        ShowMessage(QCoreApplication::translate(
                        "frmViewLog", "No printer is set up on this computer, so the log cannot be "
                                      "printed. Add a printer in the system's printer settings and "
                                      "try again."),
                    title, MessageIcon::Critical);
        return;
    }
    QStringList lines;
    lines.reserve(m_list1->count());
    for (int i = 0; i < m_list1->count(); ++i)
        lines.append(m_list1->item(i)->text());
    QString error;
    if (!PrintLogLines(lines, *printer, &error))
        ShowMessage(QCoreApplication::translate("frmViewLog", "The log could not be printed. %1")
                        .arg(error),
                    title, MessageIcon::Critical);
}

void frmViewLog::DeleteSelected() {
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    const QString path = m_folder + QLatin1Char('/') + name;
    if (isTodaysFile(path)) {
        ShowMessage(QCoreApplication::translate(
                        "frmViewLog",
                        "The log file %1 is already open: Hushwire is writing today's "
                        "calls into it, so it cannot be deleted.")
                        .arg(name),
                    QCoreApplication::translate("frmViewLog", "Callmere"), MessageIcon::Critical);
        return;
    }
    if (QFile::remove(path))
        RefreshFiles();
}

void frmViewLog::showPopup(const QPoint& globalPos) {
    m_mmuLog->popup(globalPos);
}

bool frmViewLog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_file1->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            // The popup acts on the file chosen before: a right click must not choose another.
            if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
                return true;
            break;
        default:
            break;
        }
    }
    if ((watched == m_file1 || watched == m_file1->viewport()) &&
        event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        QPoint pos = menuEvent->globalPos();
        if (menuEvent->reason() == QContextMenuEvent::Keyboard && m_file1->currentItem())
            pos = m_file1->viewport()->mapToGlobal(
                m_file1->visualItemRect(m_file1->currentItem()).center());
        showPopup(pos);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
