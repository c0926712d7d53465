#include "calllog/CallLog.h"
#include "calllog/ui/LogPrinter.h"
#include "calllog/ui/frmViewLog.h"
#include "platform/time/VirtualTime.h"
#include "support/ListStub.h"
#include "support/MessageRecorder.h"

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The log viewer over a real call log in a temporary application folder; today is 6 December
// 2026 in virtual time, so today's file is 26-12-06.txt.
class TestViewLog : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<VirtualTime> m_time;
    std::unique_ptr<ListStub> m_list;
    std::unique_ptr<CallLog> m_log;
    std::unique_ptr<frmViewLog> m_form;

    QString logFile(const QString& name) const {
        return m_dir->path() + QStringLiteral("/LogFiles/") + name;
    }
    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(logFile(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QListWidget* list(const char* name) {
        return m_form->findChild<QListWidget*>(QLatin1String(name));
    }
    QStringList items(const char* name) {
        QStringList out;
        QListWidget* w = list(name);
        for (int i = 0; i < w->count(); ++i)
            out.append(w->item(i)->text());
        return out;
    }
    void select(const QString& name) {
        const auto found = list("File1")->findItems(name, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        list("File1")->setCurrentItem(found.first());
    }
    void press(const char* button) {
        QTest::mouseClick(m_form->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
    }
    QAction* action(const char* name) { return m_form->findChild<QAction*>(QLatin1String(name)); }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_time = std::make_unique<VirtualTime>();
        m_list = std::make_unique<ListStub>();
        m_log = std::make_unique<CallLog>(*m_list, *m_time, *m_time, m_dir->path());
        m_log->OpenDailyLog();
        writeFile(QStringLiteral("26-12-05.txt"),
                  "Line0 is ready  <09:00:00>\r\nCallerID:5551234567 [JOHN DOE]  <09:01:02>\r\n"
                  "CallerID:5550000000                         Blocked  <09:02:03>\r\n");
        writeFile(QStringLiteral("Notes.txt"), "not a log\nsecond line");
        writeFile(QStringLiteral("25-01-01.txt"), "");
        m_form = std::make_unique<frmViewLog>(*m_log);
    }
    void cleanup() {
        m_form.reset();
        m_log.reset();
    }

    void windowAndFileList() {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("View Call Logs"));
        QCOMPARE(m_form->findChild<QPushButton*>(QStringLiteral("Command1"))->text(),
                 QStringLiteral("->"));
        QCOMPARE(m_form->findChild<QPushButton*>(QStringLiteral("cmdPrintLog"))->text(),
                 QStringLiteral("Print"));
        QCOMPARE(m_form->findChild<QPushButton*>(QStringLiteral("cmdExit"))->text(),
                 QStringLiteral("Exit"));
        QCOMPARE(action("mmuDisplay")->text(), QStringLiteral("Display"));
        QCOMPARE(action("mmuDelete")->text(), QStringLiteral("Delete"));
        // Every file, alphabetical, names only; nothing displayed yet.
        QCOMPARE(items("File1"),
                 (QStringList{QStringLiteral("25-01-01.txt"), QStringLiteral("26-12-05.txt"),
                              QStringLiteral("26-12-06.txt"), QStringLiteral("Notes.txt")}));
        QCOMPARE(list("List1")->count(), 0);
    }

    void displayEarlierFile() {
        select(QStringLiteral("26-12-05.txt"));
        press("Command1");
        QCOMPARE(
            items("List1"),
            (QStringList{QStringLiteral("Line0 is ready  <09:00:00>"),
                         QStringLiteral("CallerID:5551234567 [JOHN DOE]  <09:01:02>"),
                         QStringLiteral(
                             "CallerID:5550000000                         Blocked  <09:02:03>")}));
        // Any file is shown, with LF ends and a last line without an end.
        select(QStringLiteral("Notes.txt"));
        action("mmuDisplay")->trigger();
        QCOMPARE(items("List1"),
                 (QStringList{QStringLiteral("not a log"), QStringLiteral("second line")}));
        // Nothing chosen: the lines go, and nothing else happens.
        MessageRecorder messages;
        list("File1")->clearSelection();
        press("Command1");
        QCOMPARE(list("List1")->count(), 0);
        QVERIFY(messages.messages().isEmpty());
    }

    void doubleClickDisplays() {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QListWidget* files = list("File1");
        const auto item =
            files->findItems(QStringLiteral("26-12-05.txt"), Qt::MatchExactly).first();
        const QPoint at = files->visualItemRect(item).center();
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(list("List1")->count(), 3);
    }

    void displayTodayWhileLogging() {
        m_log->AddLogLine(QStringLiteral("Line0 is ready"));
        m_log->AddLogLine(QStringLiteral("Line0 Ring..."));
        select(QStringLiteral("26-12-06.txt"));
        press("Command1");
        QCOMPARE(items("List1"), m_list->items);
        QCOMPARE(list("List1")->count(), 2);
        // Logging goes on into the same file.
        QVERIFY(m_log->isFileOpen());
        m_time->advance(2000);
        m_log->AddLogLine(QStringLiteral("CallerID:5551234567 [JOHN DOE]"));
        press("Command1");
        QCOMPARE(list("List1")->count(), 3);
        QCOMPARE(items("List1"), m_list->items);
        QFile f(m_log->DailyLogPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().count("\r\n"), 3);
    }

    void deleteFiles() {
        MessageRecorder messages;
        // Today's file is refused.
        select(QStringLiteral("26-12-06.txt"));
        action("mmuDelete")->trigger();
        QCOMPARE(messages.messages().size(), 1);
        QCOMPARE(messages.messages().first().title, QStringLiteral("Callmere"));
        QCOMPARE(messages.messages().first().icon, MessageIcon::Critical);
        QVERIFY(messages.messages().first().text.contains(QStringLiteral("already open")));
        QVERIFY(QFile::exists(m_log->DailyLogPath()));
        QCOMPARE(list("File1")->count(), 4);

        // An earlier file goes at once, without a question; the lines shown stay.
        select(QStringLiteral("26-12-05.txt"));
        press("Command1");
        action("mmuDelete")->trigger();
        QCOMPARE(messages.messages().size(), 1);
        QVERIFY(!QFile::exists(logFile(QStringLiteral("26-12-05.txt"))));
        QCOMPARE(items("File1"),
                 (QStringList{QStringLiteral("25-01-01.txt"), QStringLiteral("26-12-06.txt"),
                              QStringLiteral("Notes.txt")}));
        QCOMPARE(list("List1")->count(), 3);
        // With nothing chosen, Delete does nothing.
        list("File1")->clearSelection();
        action("mmuDelete")->trigger();
        QCOMPARE(list("File1")->count(), 3);
    }

    void rightClickShowsPopupWithoutChoosing() {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        select(QStringLiteral("26-12-05.txt"));
        QListWidget* files = list("File1");
        const auto other = files->findItems(QStringLiteral("Notes.txt"), Qt::MatchExactly).first();
        const QPoint local = files->visualItemRect(other).center();
        const QPoint inWindow = files->viewport()->mapTo(m_form.get(), local);
        QTest::mouseClick(m_form->windowHandle(), Qt::RightButton, {}, inWindow);
        auto* menu = m_form->findChild<QMenu*>(QStringLiteral("mmuLog"));
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(files->currentItem()->text(), QStringLiteral("26-12-05.txt"));
        menu->hide();
    }

    void printNeedsDisplayedLines() {
        MessageRecorder messages;
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        m_form->findChild<QPushButton*>(QStringLiteral("cmdExit"))->setFocus();
        press("cmdPrintLog");
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("Please select a log file")});
        QCOMPARE(messages.messages().first().title, QStringLiteral("Print Log"));
        QCOMPARE(messages.messages().first().icon, MessageIcon::Information);
        QTRY_VERIFY(list("File1")->hasFocus());

        // Lines shown but no printer: said so, not silently dropped.
        messages.clear();
        m_form->setPrinterFactory([] { return std::unique_ptr<QPrinter>(); });
        select(QStringLiteral("26-12-05.txt"));
        press("Command1");
        press("cmdPrintLog");
        QCOMPARE(messages.messages().size(), 1);
        QCOMPARE(messages.messages().first().icon, MessageIcon::Critical);
        QVERIFY(messages.texts().first().contains(QStringLiteral("No printer")));
    }

    // Printed to PDF: the text is the displayed lines, in order, over more than one page.
    void printToPdf() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QByteArray content;
        QStringList expected;
        for (int i = 0; i < 150; ++i) {
            const QString line = i % 3 == 0
                                     ? QStringLiteral("CallerID:555%1 [CALLER %2]  <10:%3:00>")
                                           .arg(1000000 + i)
                                           .arg(i)
                                           .arg(i % 60, 2, 10, QLatin1Char('0'))
                                     : QStringLiteral("Line%1 Ring...  <10:%2:30>")
                                           .arg(i % 4)
                                           .arg(i % 60, 2, 10, QLatin1Char('0'));
            expected.append(line);
            content += line.toLatin1() + "\r\n";
        }
        writeFile(QStringLiteral("26-11-30.txt"), content);
        m_form->RefreshFiles();
        select(QStringLiteral("26-11-30.txt"));
        press("Command1");
        QCOMPARE(list("List1")->count(), 150);

        const QString pdf = m_dir->path() + QStringLiteral("/out.pdf");
        m_form->setPrinterFactory([pdf] {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return printer;
        });
        MessageRecorder messages;
        press("cmdPrintLog");
        QVERIFY(messages.messages().isEmpty());

        QProcess p;
        p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(text.count(u'\f') >= 2, "expected at least two pages");
        QStringList printed;
        for (QString line : text.split(QRegularExpression(QStringLiteral("[\n\f]")))) {
            line = line.simplified();
            if (!line.isEmpty())
                printed.append(line);
        }
        QStringList want;
        for (const QString& line : expected)
            want.append(line.simplified());
        QCOMPARE(printed, want);
    }

    void printerCannotStart() {
        // A printer to an unwritable place fails to start and the caller hears about it.
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_dir->path() + QStringLiteral("/no/such/folder/out.pdf"));
        QString error;
        QVERIFY(!PrintLogLines({QStringLiteral("x")}, printer, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_MAIN(TestViewLog)
#include "tst_viewlog.moc"
