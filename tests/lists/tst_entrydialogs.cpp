#include "lists/ListFiles.h"
#include "lists/ui/EntryDialog.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/PrivateListWindow.h"
#include "lists/ui/PublicListWindow.h"
#include "support/ListWindowsRig.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

class TestEntryDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void refusesTextsThatAreNotOneNumber_data();
    void refusesTextsThatAreNotOneNumber();
    void publicStoresTheNumberTheTestRead_data();
    void publicStoresTheNumberTheTestRead();
    void privateStoresNumberAsTypedAndCutsFields();
    void enterKeys();
    void addWithoutWindowAppendsAfterLastEntry();
    void fullListRefusesTheEntry_data();
    void fullListRefusesTheEntry();
    void positionsAreNotLimitedTo16Bits();
    void oneDialogPerListAndNoFileHeldOpen();
    void failedWriteKeepsDialogAndList();

private:
    EntryDialog* open(ListKind kind, const QString& number) {
        return m_rig->windows->openEntryDialogFromLog(kind, number);
    }

    std::unique_ptr<ListWindowsRig> m_rig;
    QWidget m_owner;
};

void TestEntryDialogs::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestEntryDialogs::init() {
    m_rig = std::make_unique<ListWindowsRig>();
}

void TestEntryDialogs::cleanup() {
    m_rig.reset();
}

void TestEntryDialogs::refusesTextsThatAreNotOneNumber_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    const QStringList texts{u"555-1234"_s, u"555 12 AB"_s, QString(), u"  "_s, u"1e999"_s};
    for (const QString& t : texts) {
        QTest::addRow("public '%s'", qPrintable(t)) << int(ListKind::Public) << t;
        QTest::addRow("private '%s'", qPrintable(t)) << int(ListKind::Private) << t;
    }
    // A 0 record would end public.tel and hide every entry added after it.
    QTest::newRow("public zero") << int(ListKind::Public) << u"0"_s;
}

void TestEntryDialogs::refusesTextsThatAreNotOneNumber() {
    QFETCH(int, kind);
    QFETCH(QString, text);
    EntryDialog* d = open(ListKind(kind), text);
    d->findChild<QPushButton*>(u"OKButton"_s)->click();
    QCOMPARE(m_rig->messages.texts(), QStringList{u"The telephone number field must be numeric"_s});
    QCOMPARE(m_rig->messages.messages()[0].title, ListKind(kind) == ListKind::Public
                                                      ? u"Public Telemarketing List"_s
                                                      : u"Private Black List"_s);
    QCOMPARE(m_rig->messages.messages()[0].icon, MessageIcon::Critical);
    QVERIFY(d->isVisible());
    QCOMPARE(d->numberField()->text(), text);
    QCOMPARE(d->focusWidget(), d->numberField());
    QCOMPARE(QFileInfo(m_rig->folder.lists.publicPath()).size(), 0);
    QCOMPARE(QFileInfo(m_rig->folder.lists.privatePath()).size(), 0);
}

void TestEntryDialogs::publicStoresTheNumberTheTestRead_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << u"5551234"_s << 5551234.0 << u"5551234"_s;
    QTest::newRow("leading zero") << u"0123456789"_s << 123456789.0 << u"123456789"_s;
    QTest::newRow("group separator") << u"1,234"_s << 1234.0 << u"1234"_s;
    QTest::newRow("blanks") << u"  8005551212 "_s << 8005551212.0 << u"8005551212"_s;
    QTest::newRow("negative") << u"-42"_s << -42.0 << u"-42"_s;
}

void TestEntryDialogs::publicStoresTheNumberTheTestRead() {
    QFETCH(QString, text);
    QFETCH(double, stored);
    QFETCH(QString, shown);
    m_rig->start({111, 222});
    EntryDialog* d = open(ListKind::Public, text);
    QCOMPARE(d->objectName(), u"frmPBAdd"_s);
    QVERIFY(d->windowTitle().isEmpty());
    QVERIFY(!d->nameField()->isVisible());
    d->findChild<QPushButton*>(u"OKButton"_s)->click();
    QVERIFY(m_rig->messages.messages().isEmpty());
    QTRY_VERIFY(!m_rig->windows->entryDialog(ListKind::Public));
    QCOMPARE(m_rig->folder.publicFile(), PublicBytes({111, 222, stored}));
    QCOMPARE(m_rig->folder.lists.publicCount(), 3);
    QCOMPARE(m_rig->windows->showPublicWindow(&m_owner)->list()->item(0)->text(), shown);
}

void TestEntryDialogs::privateStoresNumberAsTypedAndCutsFields() {
    EntryDialog* d = open(ListKind::Private, u"0123456789"_s);
    QCOMPARE(d->objectName(), u"frmPBAddprv"_s);
    QVERIFY(d->nameField()->text().isEmpty());
    d->nameField()->setText(QString(30, u'N') + u"0123456789"_s);
    d->findChild<QPushButton*>(u"OKButton"_s)->click();
    QByteArray expected = QByteArray(30, 'N') + "0123456789" + QByteArray(10, ' ');
    QCOMPARE(m_rig->folder.privateFile(), expected);

    // A 25-character number is cut to 20.
    d = open(ListKind::Private, u"1234567890123456789012345"_s);
    d->findChild<QPushButton*>(u"OKButton"_s)->click();
    expected += QByteArray(30, ' ') + "12345678901234567890";
    QCOMPARE(m_rig->folder.privateFile(), expected);
    QCOMPARE(m_rig->folder.lists.privateCount(), 2);
    QListWidget* list = m_rig->windows->showPrivateWindow(&m_owner)->list();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(1)->text(), u"12345678901234567890\t"_s + QString(30, u' '));
}

void TestEntryDialogs::enterKeys() {
    EntryDialog* d = open(ListKind::Private, u"5551234"_s);
    QTest::keyClick(d->numberField(), Qt::Key_Return);
    QCOMPARE(d->focusWidget(), d->nameField());
    QCOMPARE(QFileInfo(m_rig->folder.lists.privatePath()).size(), 0);
    d->nameField()->setText(u"JOHN"_s);
    QTest::keyClick(d->nameField(), Qt::Key_Enter);
    QTRY_VERIFY(!m_rig->windows->entryDialog(ListKind::Private));
    QCOMPARE(m_rig->folder.lists.privateCount(), 1);

    d = open(ListKind::Public, u"5551234"_s);
    // Escape reaches the field and does nothing else; Enter in the number field stores.
    QTest::keyClick(d->numberField(), Qt::Key_Escape);
    QVERIFY(d->isVisible());
    QTest::keyClick(d->numberField(), Qt::Key_Return);
    QTRY_VERIFY(!m_rig->windows->entryDialog(ListKind::Public));
    QCOMPARE(m_rig->folder.lists.publicCount(), 1);
}

void TestEntryDialogs::addWithoutWindowAppendsAfterLastEntry() {
    m_rig->start({111, -7});
    open(ListKind::Public, u"999"_s)->accept();
    open(ListKind::Public, u"-42"_s)->accept();
    QVERIFY(!m_rig->windows->existingPublicWindow());
    QCOMPARE(m_rig->folder.publicFile(), PublicBytes({111, -7, 999, -42}));
    QVERIFY(m_rig->folder.lists.MatchesPublic(u"999"_s));
    // Shown later, the window has the new numbers on top, as it would have had when open.
    PublicListWindow* w = m_rig->windows->showPublicWindow(&m_owner);
    QCOMPARE(w->list()->item(0)->text(), u"-42"_s);
    QCOMPARE(w->list()->item(1)->text(), u"999"_s);
    QCOMPARE(w->list()->count(), 4);
    // Opened again, it shows the file's order: taken-over numbers below the own ones.
    w->close();
    QTRY_VERIFY(!m_rig->windows->existingPublicWindow());
    w = m_rig->windows->showPublicWindow(&m_owner);
    QCOMPARE(w->list()->item(0)->text(), u"999"_s);
    QCOMPARE(w->list()->item(3)->text(), u"-42"_s);
}

void TestEntryDialogs::fullListRefusesTheEntry_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("listName");
    QTest::newRow("public") << int(ListKind::Public) << u"public telemarketer"_s;
    QTest::newRow("private") << int(ListKind::Private) << u"private black"_s;
}

void TestEntryDialogs::fullListRefusesTheEntry() {
    QFETCH(int, kind);
    QFETCH(QString, listName);
    std::vector<double> values;
    std::vector<PrivateEntry> entries;
    if (ListKind(kind) == ListKind::Public) {
        for (int i = 1; i <= 50000; ++i)
            values.push_back(i);
    } else {
        for (int i = 1; i <= 10000; ++i)
            entries.push_back(MakePrivateEntry(QString(), QString::number(i)));
    }
    m_rig->start(values, entries);
    const QByteArray publicBefore = m_rig->folder.publicFile();
    const QByteArray privateBefore = m_rig->folder.privateFile();
    QWidget* w = ListKind(kind) == ListKind::Public
                     ? static_cast<QWidget*>(m_rig->windows->showPublicWindow(&m_owner))
                     : static_cast<QWidget*>(m_rig->windows->showPrivateWindow(&m_owner));
    EntryDialog* d = open(ListKind(kind), u"5551234"_s);
    d->accept();

    QCOMPARE(m_rig->messages.texts(),
             QStringList{u"The entry could not be saved.\n\nThe "_s + listName +
                         u" list holds at most %1 entries.\nAdded: 0. Did not fit: 1."_s.arg(
                             ListKind(kind) == ListKind::Public ? 50000 : 10000)});
    QVERIFY(d->isVisible());
    QCOMPARE(m_rig->folder.publicFile(), publicBefore);
    QCOMPARE(m_rig->folder.privateFile(), privateBefore);
    QVERIFY(!m_rig->folder.lists.MatchesPublic(u"5551234"_s));
    QVERIFY(!m_rig->folder.lists.MatchesPrivate(u"5551234"_s));
    QCOMPARE(w->findChild<QListWidget*>(u"List1"_s)->count(), int(values.size() + entries.size()));
}

void TestEntryDialogs::positionsAreNotLimitedTo16Bits() {
    std::vector<double> values;
    for (int i = 1; i <= 40000; ++i)
        values.push_back(i);
    m_rig->start(values);
    open(ListKind::Public, u"5551234"_s)->accept();
    values.push_back(5551234);
    QCOMPARE(m_rig->folder.publicFile(), PublicBytes(values));
    QCOMPARE(m_rig->folder.lists.publicCount(), 40001);
}

void TestEntryDialogs::oneDialogPerListAndNoFileHeldOpen() {
    m_rig->start({111, 222});
    EntryDialog* fromLog = open(ListKind::Public, u"5551234"_s);
    QCOMPARE(fromLog->windowModality(), Qt::NonModal);
    QVERIFY(!fromLog->parentWidget());

    // While the dialog waits, the list window deletes an entry: nothing holds the file.
    PublicListWindow* w = m_rig->windows->showPublicWindow(&m_owner);
    w->list()->setCurrentRow(0);
    w->deleteSelected();
    QCOMPARE(m_rig->folder.publicFile(), PublicBytes({111}));

    // Add in the window brings the same dialog over it, with what was typed.
    w->findChild<QPushButton*>(u"cmdAdd"_s)->click();
    QCOMPARE(m_rig->windows->entryDialog(ListKind::Public), fromLog);
    QCOMPARE(fromLog->parentWidget(), w);
    QCOMPARE(fromLog->windowModality(), Qt::ApplicationModal);
    QCOMPARE(fromLog->numberField()->text(), u"5551234"_s);
    fromLog->accept();
    QCOMPARE(m_rig->folder.publicFile(), PublicBytes({111, 5551234}));
    QCOMPARE(w->list()->item(0)->text(), u"5551234"_s);
    QCOMPARE(w->list()->count(), 2);
}

void TestEntryDialogs::failedWriteKeepsDialogAndList() {
    m_rig->start({}, {MakePrivateEntry(u"A"_s, u"1"_s)});
    PrivateListWindow* w = m_rig->windows->showPrivateWindow(&m_owner);
    QVERIFY(QFile::remove(m_rig->folder.lists.privatePath()));
    QVERIFY(QDir().mkdir(m_rig->folder.lists.privatePath()));
    EntryDialog* d = open(ListKind::Private, u"5551234"_s);
    d->accept();
    QCOMPARE(m_rig->messages.messages().size(), 1);
    QCOMPARE(m_rig->messages.messages()[0].icon, MessageIcon::Critical);
    QVERIFY(d->isVisible());
    QCOMPARE(w->list()->count(), 1);
}

QTEST_MAIN(TestEntryDialogs)
#include "tst_entrydialogs.moc"
