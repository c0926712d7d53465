#include "lists/ListFiles.h"
#include "lists/PhoneLists.h"
#include "lists/ui/EntryDialog.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/PrivateListWindow.h"
#include "lists/ui/PublicListWindow.h"
#include "platform/time/Clock.h"
#include "support/MessageRecorder.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {
class FixedClock : public Clock {
public:
    QDateTime now() const override { return {}; }
    qint64 tickMs() const override { return 1; }
};

QByteArray publicBytes(const std::vector<double>& values) {
    QByteArray data;
    for (double v : values)
        data += EncodePublicRecord(v);
    return data;
}
} // namespace

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
    void addFromHiddenWindowAppendsAfterLastEntry();
    void positionsAreNotLimitedTo16Bits();
    void oneDialogPerListAndNoFileHeldOpen();
    void failedWriteKeepsDialogAndList();

private:
    QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeFile(const QString& path, const QByteArray& data) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(data);
    }
    void load() {
        m_windows.reset();
        m_lists->LoadPhoneLists();
        m_windows = std::make_unique<ListWindows>(*m_lists, m_clock);
    }
    EntryDialog* open(ListKind kind, const QString& number) {
        return m_windows->openEntryDialogFromLog(kind, number);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PhoneLists> m_lists;
    std::unique_ptr<ListWindows> m_windows;
    std::unique_ptr<MessageRecorder> m_messages;
    FixedClock m_clock;
    QWidget m_owner;
};

void TestEntryDialogs::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestEntryDialogs::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_lists = std::make_unique<PhoneLists>(m_dir->path());
    m_messages = std::make_unique<MessageRecorder>();
    load();
}

void TestEntryDialogs::cleanup() {
    m_windows.reset();
    m_messages.reset();
    m_lists.reset();
    m_dir.reset();
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
    QCOMPARE(m_messages->texts(), QStringList{u"The telephone number field must be numeric"_s});
    QCOMPARE(m_messages->messages()[0].title, ListKind(kind) == ListKind::Public
                                                  ? u"Public Telemarketing List"_s
                                                  : u"Private Black List"_s);
    QCOMPARE(m_messages->messages()[0].icon, MessageIcon::Critical);
    QVERIFY(d->isVisible());
    QCOMPARE(d->numberField()->text(), text);
    QCOMPARE(d->focusWidget(), d->numberField());
    QCOMPARE(QFileInfo(m_lists->publicPath()).size(), 0);
    QCOMPARE(QFileInfo(m_lists->privatePath()).size(), 0);
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
    writeFile(m_lists->publicPath(), publicBytes({111, 222}));
    load();
    EntryDialog* d = open(ListKind::Public, text);
    QCOMPARE(d->objectName(), u"frmPBAdd"_s);
    QVERIFY(d->windowTitle().isEmpty());
    QVERIFY(!d->nameField()->isVisible());
    d->findChild<QPushButton*>(u"OKButton"_s)->click();
    QVERIFY(m_messages->messages().isEmpty());
    QTRY_VERIFY(!m_windows->entryDialog(ListKind::Public));
    QCOMPARE(readFile(m_lists->publicPath()), publicBytes({111, 222, stored}));
    QCOMPARE(m_lists->publicCount(), 3);
    QCOMPARE(m_windows->publicWindow()->list()->item(0)->text(), shown);
}

void TestEntryDialogs::privateStoresNumberAsTypedAndCutsFields() {
    EntryDialog* d = open(ListKind::Private, u"0123456789"_s);
    QCOMPARE(d->objectName(), u"frmPBAddprv"_s);
    QVERIFY(d->nameField()->text().isEmpty());
    d->nameField()->setText(QString(30, u'N') + u"0123456789"_s);
    d->findChild<QPushButton*>(u"OKButton"_s)->click();
    QByteArray expected = QByteArray(30, 'N') + "0123456789" + QByteArray(10, ' ');
    QCOMPARE(readFile(m_lists->privatePath()), expected);

    // A 25-character number is cut to 20.
    d = open(ListKind::Private, u"1234567890123456789012345"_s);
    d->findChild<QPushButton*>(u"OKButton"_s)->click();
    expected += QByteArray(30, ' ') + "12345678901234567890";
    QCOMPARE(readFile(m_lists->privatePath()), expected);
    QCOMPARE(m_lists->privateCount(), 2);
    QListWidget* list = m_windows->privateWindow()->list();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(1)->text(), u"12345678901234567890\t"_s + QString(30, u' '));
}

void TestEntryDialogs::enterKeys() {
    EntryDialog* d = open(ListKind::Private, u"5551234"_s);
    QTest::keyClick(d->numberField(), Qt::Key_Return);
    QCOMPARE(d->focusWidget(), d->nameField());
    QCOMPARE(QFileInfo(m_lists->privatePath()).size(), 0);
    d->nameField()->setText(u"JOHN"_s);
    QTest::keyClick(d->nameField(), Qt::Key_Enter);
    QTRY_VERIFY(!m_windows->entryDialog(ListKind::Private));
    QCOMPARE(m_lists->privateCount(), 1);

    d = open(ListKind::Public, u"5551234"_s);
    // Escape reaches the field and does nothing else; Enter in the number field stores.
    QTest::keyClick(d->numberField(), Qt::Key_Escape);
    QVERIFY(d->isVisible());
    QTest::keyClick(d->numberField(), Qt::Key_Return);
    QTRY_VERIFY(!m_windows->entryDialog(ListKind::Public));
    QCOMPARE(m_lists->publicCount(), 1);
}

void TestEntryDialogs::addFromHiddenWindowAppendsAfterLastEntry() {
    writeFile(m_lists->publicPath(), publicBytes({111, -7}));
    load();
    QVERIFY(!m_windows->existingPublicWindow());
    open(ListKind::Public, u"999"_s)->accept();
    PublicListWindow* hidden = m_windows->existingPublicWindow();
    QVERIFY(hidden && !hidden->isVisible());
    QCOMPARE(readFile(m_lists->publicPath()), publicBytes({111, -7, 999}));
    // Shown later, the window is the same one, with the new number on top.
    QCOMPARE(m_windows->showPublicWindow(&m_owner), hidden);
    QCOMPARE(hidden->list()->item(0)->text(), u"999"_s);
    QCOMPARE(hidden->list()->count(), 3);
}

void TestEntryDialogs::positionsAreNotLimitedTo16Bits() {
    std::vector<double> values;
    for (int i = 1; i <= 40000; ++i)
        values.push_back(i);
    writeFile(m_lists->publicPath(), publicBytes(values));
    load();
    open(ListKind::Public, u"5551234"_s)->accept();
    values.push_back(5551234);
    QCOMPARE(readFile(m_lists->publicPath()), publicBytes(values));
    QCOMPARE(m_lists->publicCount(), 40001);
}

void TestEntryDialogs::oneDialogPerListAndNoFileHeldOpen() {
    writeFile(m_lists->publicPath(), publicBytes({111, 222}));
    load();
    EntryDialog* fromLog = open(ListKind::Public, u"5551234"_s);
    QCOMPARE(fromLog->windowModality(), Qt::NonModal);
    QVERIFY(!fromLog->parentWidget());

    // While the dialog waits, the list window deletes an entry: nothing holds the file.
    PublicListWindow* w = m_windows->showPublicWindow(&m_owner);
    w->list()->setCurrentRow(0);
    w->deleteSelected();
    QCOMPARE(readFile(m_lists->publicPath()), publicBytes({111}));

    // Add in the window brings the same dialog over it, with what was typed.
    w->findChild<QPushButton*>(u"cmdAdd"_s)->click();
    QCOMPARE(m_windows->entryDialog(ListKind::Public), fromLog);
    QCOMPARE(fromLog->parentWidget(), w);
    QCOMPARE(fromLog->windowModality(), Qt::ApplicationModal);
    QCOMPARE(fromLog->numberField()->text(), u"5551234"_s);
    fromLog->accept();
    QCOMPARE(readFile(m_lists->publicPath()), publicBytes({111, 5551234}));
    QCOMPARE(w->list()->item(0)->text(), u"5551234"_s);
    QCOMPARE(w->list()->count(), 2);
}

void TestEntryDialogs::failedWriteKeepsDialogAndList() {
    writeFile(m_lists->privatePath(), EncodePrivateRecord(MakePrivateEntry(u"A"_s, u"1"_s)));
    load();
    PrivateListWindow* w = m_windows->privateWindow();
    QVERIFY(QFile::remove(m_lists->privatePath()));
    QVERIFY(QDir().mkdir(m_lists->privatePath()));
    EntryDialog* d = open(ListKind::Private, u"5551234"_s);
    d->accept();
    QCOMPARE(m_messages->messages().size(), 1);
    QCOMPARE(m_messages->messages()[0].icon, MessageIcon::Critical);
    QVERIFY(d->isVisible());
    QCOMPARE(w->list()->count(), 1);
}

QTEST_MAIN(TestEntryDialogs)
#include "tst_entrydialogs.moc"
