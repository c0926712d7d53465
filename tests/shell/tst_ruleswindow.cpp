// Setup > Screening Rules... headless, by object name: the table from rules.txt, Add with a
// refused pattern and then a good one, Remove, the test box, contacts import; a line that is no
// rule stays in the file through every change.
#include "lists/PhoneLists.h"
#include "platform/time/VirtualTime.h"
#include "rules/RuleFiles.h"
#include "rules/ui/RulesFromLog.h"
#include "rules/ui/frmRules.h"
#include "support/Files.h"
#include "support/MessageRecorder.h"
#include "support/TestFolders.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestRulesWindow : public QObject {
    Q_OBJECT

private:
    // Answers the next rule dialog with these values and OK; then, if the dialog is still open
    // (refused), with the second pattern.
    void answerRuleDialog(int action, int field, const QString& pattern, const QString& label,
                          const QString& retry = {}) {
        QTimer::singleShot(0, this, [=, this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QComboBox*>(u"cboAction"_qs)->setCurrentIndex(action);
            dialog->findChild<QComboBox*>(u"cboField"_qs)->setCurrentIndex(field);
            auto* txtPattern = dialog->findChild<QLineEdit*>(u"txtPattern"_qs);
            txtPattern->setText(pattern);
            dialog->findChild<QLineEdit*>(u"txtLabel"_qs)->setText(label);
            auto* ok = dialog->findChild<QPushButton*>(u"cmdOK"_qs);
            ok->click();
            if (!retry.isEmpty()) {
                QVERIFY(dialog->isVisible());
                txtPattern->setText(retry);
                ok->click();
            }
        });
    }

    QTemporaryDir m_root;

private Q_SLOTS:
    void initTestCase() { UseFoldersUnder(m_root.path()); }

    void editsAndTests() {
        const QString folder = m_root.path() + u"/app"_qs;
        const QString path = RulesPath(folder);
        QVERIFY(WriteFileBytes(path, "block number 800* call centre\nnot a rule\n"));
        QVERIFY(RecordRuleHit(RuleHitsPath(folder), *ParseRule(u"block number 800*"_qs).rule,
                              QDate(2026, 12, 5), nullptr));
        PhoneLists lists(folder);
        lists.LoadPhoneLists();
        VirtualTime time;
        MessageRecorder messages;
        frmRules window(folder, lists, time);
        window.show();

        auto* table = window.findChild<QTableWidget*>(u"tblRules"_qs);
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 2)->text(), u"800*"_qs);
        QCOMPARE(table->item(0, 3)->text(), u"call centre"_qs);
        QCOMPARE(table->item(0, 4)->text(), u"1"_qs);
        QCOMPARE(table->item(0, 5)->text(), u"2026-12-05"_qs);

        answerRuleDialog(0, 1, u"*"_qs, u"tags"_qs, u"SPAM RISK*"_qs);
        window.findChild<QPushButton*>(u"cmdAdd"_qs)->click();
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY2(messages.texts().first().contains(u"too broad"_qs),
                 qPrintable(messages.texts().first()));
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(1, 2)->text(), u"SPAM RISK*"_qs);

        auto* number = window.findChild<QLineEdit*>(u"txtTestNumber"_qs);
        auto* name = window.findChild<QLineEdit*>(u"txtTestName"_qs);
        auto* result = window.findChild<QLabel*>(u"lblTestResult"_qs);
        QTest::keyClicks(number, u"8005550199"_qs);
        QCOMPARE(result->text(), u"blocked: rule 1: call centre"_qs);
        number->clear();
        QTest::keyClicks(number, u"3035550100"_qs);
        QCOMPARE(result->text(), u"rings: nothing matched"_qs);
        QTest::keyClicks(name, u"spam risk"_qs);
        QCOMPARE(result->text(), u"blocked: rule 3: tags"_qs);

        table->selectRow(0);
        window.findChild<QPushButton*>(u"cmdRemove"_qs)->click();
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(ReadFileBytes(path), QByteArray("not a rule\nblock name \"SPAM RISK*\" tags\n"));

        QVERIFY(
            WriteFileBytes(folder + u"/c.vcf"_qs,
                           "BEGIN:VCARD\r\nFN:Mum\r\nTEL;TYPE=CELL:303 555 0101\r\nEND:VCARD\r\n"));
        messages.clear();
        window.importContacts(folder + u"/c.vcf"_qs);
        QCOMPARE(messages.texts(), QStringList{u"1 added, 0 skipped"_qs});
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(1, 3)->text(), u"Mum"_qs);
    }

    // The call log's two items: an allow rule for the selected caller, and a prefix rule of its
    // first six digits offered for editing.
    void callLogMenuItems() {
        const QString folder = m_root.path() + u"/menu"_qs;
        QDir().mkpath(folder);
        QListWidget log;
        log.addItem(u"Line0 Ring...  <10:00:00>"_qs);
        log.addItem(u"CallerID:8005550199 [ACME]                         Blocked  <10:00:01>"_qs);
        QMenu menu;
        AddRuleItemsToLogMenu(&menu, &log, folder);
        MessageRecorder messages;

        log.item(0)->setSelected(true);
        menu.findChild<QAction*>(u"mnuAllowRule"_qs)->trigger();
        QCOMPARE(messages.texts(), QStringList{u"Plese select a Caller ID entry"_qs});
        log.clearSelection();
        log.item(1)->setSelected(true);
        menu.findChild<QAction*>(u"mnuAllowRule"_qs)->trigger();
        QCOMPARE(ReadFileBytes(RulesPath(folder)), QByteArray("allow number 8005550199\n"));

        QString offered;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* pattern = dialog->findChild<QLineEdit*>(u"txtPattern"_qs);
            offered = pattern->text();
            pattern->setText(u"8005550*"_qs);
            dialog->findChild<QPushButton*>(u"cmdOK"_qs)->click();
        });
        menu.findChild<QAction*>(u"mnuBlockLike"_qs)->trigger();
        QCOMPARE(offered, u"800555*"_qs);
        QCOMPARE(ReadFileBytes(RulesPath(folder)),
                 QByteArray("allow number 8005550199\nblock number 8005550*\n"));
        QCOMPARE(PrefixPatternFor(u"+4930123456"_qs), u"+493012*"_qs);
        QCOMPARE(PrefixPatternFor(u"12345"_qs), QString());
    }
};

QTEST_MAIN(TestRulesWindow)
#include "tst_ruleswindow.moc"
