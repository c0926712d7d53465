#include "calllog/ui/AddFromLog.h"
#include "lists/ListFiles.h"
#include "lists/ui/EntryDialog.h"
#include "lists/ui/PublicListWindow.h"
#include "support/ListWindowsRig.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

class TestAddFromLog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void numberCutFromLine_data();
    void numberCutFromLine();
    void menuItems();
    void itemsOpenTheirDialogWithTheNumber();
    void addedCallerIsListedAtOnce();
    void linesWithoutCallerIdAreRefused_data();
    void linesWithoutCallerIdAreRefused();
    void rightClickKeepsSelectionAndPopsUp();

private:
    QAction* action(const char* name) { return m_menu->findChild<QAction*>(QLatin1String(name)); }

    std::unique_ptr<ListWindowsRig> m_rig;
    std::unique_ptr<QListWidget> m_log;
    QMenu* m_menu = nullptr;
};

void TestAddFromLog::init() {
    m_rig = std::make_unique<ListWindowsRig>();
    m_log = std::make_unique<QListWidget>();
    m_log->setObjectName(u"lstWhite"_s);
    m_menu = InstallAddFromLogMenu(m_log.get(), *m_rig->windows);
}

void TestAddFromLog::cleanup() {
    m_log.reset();
    m_rig.reset();
}

void TestAddFromLog::numberCutFromLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("number");
    QTest::newRow("with name") << u"CallerID:5551234567 [JOHN DOE]  <3:04:05 PM>"_s
                               << u"5551234567"_s;
    QTest::newRow("blocked")
        << u"CallerID:5551234567                         Blocked  <3:04:05 PM>"_s
        << u"5551234567"_s;
    QTest::newRow("unknown") << u"CallerID:UNKNOWN  <3:04:05 PM>"_s << u"UNKNOWN"_s;
    QTest::newRow("space in number") << u"CallerID:555 1234  <3:04:05 PM>"_s << u"555"_s;
    // Only a hand-edited log has no space after the number: the whole remainder is taken.
    QTest::newRow("no space") << u"CallerID:5551234"_s << u"5551234"_s;
}

void TestAddFromLog::numberCutFromLine() {
    QFETCH(QString, line);
    QFETCH(QString, number);
    QString cut;
    QVERIFY(CallerNumberFromLogLine(line, &cut));
    QCOMPARE(cut, number);
}

void TestAddFromLog::menuItems() {
    QCOMPARE(m_menu->objectName(), u"mnutmp"_s);
    QCOMPARE(m_menu->title(), u"tmp"_s);
    QCOMPARE(action("mnuAddTele")->text(), u"Add to Telemarketing List"_s);
    QCOMPARE(action("mnuAddPrivate")->text(), u"Add to Private Block List"_s);
}

void TestAddFromLog::itemsOpenTheirDialogWithTheNumber() {
    m_log->addItems(
        {u"Line0 Ring...  <3:04:00 PM>"_s, u"CallerID:5551234567 [JOHN DOE]  <3:04:05 PM>"_s});
    m_log->setCurrentRow(1);
    action("mnuAddTele")->trigger();
    EntryDialog* d = m_rig->windows->entryDialog(ListKind::Public);
    QVERIFY(d && d->isVisible());
    QCOMPARE(d->objectName(), u"frmPBAdd"_s);
    QCOMPARE(d->numberField()->text(), u"5551234567"_s);
    QVERIFY(d->nameField()->text().isEmpty());
    QCOMPARE(d->focusWidget(), d->numberField());
    QCOMPARE(d->windowModality(), Qt::NonModal);

    action("mnuAddPrivate")->trigger();
    EntryDialog* p = m_rig->windows->entryDialog(ListKind::Private);
    QVERIFY(p && p->isVisible());
    QCOMPARE(p->objectName(), u"frmPBAddprv"_s);
    QCOMPARE(p->numberField()->text(), u"5551234567"_s);
    QVERIFY(p->nameField()->text().isEmpty());
    QVERIFY(m_rig->messages.messages().isEmpty());

    // The UNKNOWN of a caller without number reaches the dialog, which refuses it at OK.
    m_log->addItem(u"CallerID:UNKNOWN  <3:05:00 PM>"_s);
    m_log->setCurrentRow(2);
    action("mnuAddTele")->trigger();
    QCOMPARE(d->numberField()->text(), u"UNKNOWN"_s);
    d->accept();
    QCOMPARE(m_rig->messages.texts(), QStringList{u"The telephone number field must be numeric"_s});
}

void TestAddFromLog::addedCallerIsListedAtOnce() {
    m_log->addItem(u"CallerID:5551234567 [JOHN DOE]  <3:04:05 PM>"_s);
    m_log->setCurrentRow(0);
    action("mnuAddPrivate")->trigger();
    EntryDialog* p = m_rig->windows->entryDialog(ListKind::Private);
    p->nameField()->setText(u"JOHN DOE"_s);
    p->accept();
    QCOMPARE(m_rig->folder.privateFile(),
             EncodePrivateRecord(MakePrivateEntry(u"JOHN DOE"_s, u"5551234567"_s)));
    QVERIFY(m_rig->folder.lists.MatchesPrivate(u"5551234567"_s));
    QVERIFY(!m_rig->windows->existingPrivateWindow());

    // An open list window shows the caller on top as soon as the dialog stores it.
    QWidget owner;
    PublicListWindow* w = m_rig->windows->showPublicWindow(&owner);
    action("mnuAddTele")->trigger();
    m_rig->windows->entryDialog(ListKind::Public)->accept();
    QCOMPARE(m_rig->folder.publicFile(), PublicBytes({5551234567.0}));
    QVERIFY(m_rig->folder.lists.MatchesPublic(u"5551234567"_s));
    QCOMPARE(w->list()->item(0)->text(), u"5551234567"_s);
}

void TestAddFromLog::linesWithoutCallerIdAreRefused_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("selected");
    QTest::newRow("ring line") << QStringList{u"Line0 Ring...  <3:04:00 PM>"_s} << 0;
    QTest::newRow("out of area") << QStringList{u"Out Of Area  <3:04:00 PM>"_s} << 0;
    QTest::newRow("empty list") << QStringList{} << -1;
    QTest::newRow("no selection") << QStringList{u"CallerID:5551234567  <3:04:05 PM>"_s} << -1;
    QTest::newRow("wrong case") << QStringList{u"callerid:5551234567  <3:04:05 PM>"_s} << 0;
}

void TestAddFromLog::linesWithoutCallerIdAreRefused() {
    QFETCH(QStringList, lines);
    QFETCH(int, selected);
    m_log->addItems(lines);
    m_log->setCurrentRow(selected);
    for (const char* item : {"mnuAddTele", "mnuAddPrivate"}) {
        m_rig->messages.clear();
        action(item)->trigger();
        QCOMPARE(m_rig->messages.texts(), QStringList{u"Plese select a Caller ID entry"_s});
        QCOMPARE(m_rig->messages.messages()[0].title, u"Add Caller ID To Black List"_s);
        QCOMPARE(m_rig->messages.messages()[0].icon, MessageIcon::Information);
    }
    QVERIFY(!m_rig->windows->entryDialog(ListKind::Public));
    QVERIFY(!m_rig->windows->entryDialog(ListKind::Private));
}

void TestAddFromLog::rightClickKeepsSelectionAndPopsUp() {
    m_log->addItems({u"CallerID:111  <1:00:00 PM>"_s, u"CallerID:222  <1:00:01 PM>"_s});
    m_log->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_log.get()));
    m_log->setCurrentRow(1);
    const QPoint onFirst = m_log->visualItemRect(m_log->item(0)).center();
    QTest::mouseClick(m_log->viewport(), Qt::RightButton, {}, onFirst);
    QTRY_VERIFY(m_menu->isVisible());
    QCOMPARE(m_log->currentRow(), 1);
    QVERIFY(m_log->item(1)->isSelected());
    QVERIFY(!m_log->item(0)->isSelected());
    m_menu->hide();
    action("mnuAddTele")->trigger();
    QCOMPARE(m_rig->windows->entryDialog(ListKind::Public)->numberField()->text(), u"222"_s);
}

QTEST_MAIN(TestAddFromLog)
#include "tst_addfromlog.moc"
