#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class CallLog;
class QListWidget;
class QMenu;
class QPrinter;
class QPushButton;

// The log viewer: lists the daily log files of the LogFiles folder, shows one, prints the lines
// shown, or deletes a file. Today's file, which the call log keeps open, is read between
// CloseDailyLog and ReopenDailyLog, so it shows every line logged so far and logging goes on into
// the same file; it cannot be deleted while the program runs.
//
// Created fresh for each opening (modal, owned by the main window) and discarded on close.
class frmViewLog : public QDialog {
    Q_OBJECT
public:
    // The log files are those of log's folder: the folder of its DailyLogPath, or LogFiles in
    // the application folder before the log was opened.
    explicit frmViewLog(CallLog& log, QWidget* parent = nullptr);
    ~frmViewLog() override;

    // Where printing goes; by default the system's default printer. A factory that returns
    // nullptr means there is no printer. Tests print to PDF through it.
    using PrinterFactory = std::function<std::unique_ptr<QPrinter>()>;
    void setPrinterFactory(PrinterFactory factory) { m_printerFactory = std::move(factory); }

    QString logFolder() const { return m_folder; }

    // The actions of the buttons and of the popup menu.
    void DisplaySelected(); // Command1, mmuDisplay, double click on a file
    void PrintLog();        // cmdPrintLog
    void DeleteSelected();  // mmuDelete
    void RefreshFiles();    // reloads File1, keeping the selection where the name remains

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void showPopup(const QPoint& globalPos);
    QString selectedName() const;
    bool isTodaysFile(const QString& path) const;

    CallLog& m_log;
    QString m_folder;
    PrinterFactory m_printerFactory;
    QListWidget* m_list1 = nullptr;
    QListWidget* m_file1 = nullptr;
    QMenu* m_mmuLog = nullptr;
};
