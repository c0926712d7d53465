#include "lists/ListFiles.h"
#include "lists/PhoneLists.h"
#include "lists/ui/FileChooser.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/PrivateListWindow.h"
#include "lists/ui/PublicListWindow.h"
#include "platform/time/Clock.h"
#include "support/MessageRecorder.h"
#include "ui/LinkLabel.h"
#include "ui/UrlOpener.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {
class FixedClock : public Clock {
public:
    qint64 tick = 0;
    QDateTime now() const override { return QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)); }
    qint64 tickMs() const override { return tick; }
};

QByteArray publicBytes(std::initializer_list<double> values) {
    QByteArray data;
    for (double v : values)
        data += EncodePublicRecord(v);
    return data;
}

QStringList itemsOf(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}
} // namespace

class TestListWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void ownEntriesNewestFirstAndDeleteKeepsFileOrder();
    void takenOverEntriesBelowOwnOnesInFileOrder();
    void deleteNeedsASelection();
    void doubleClickDeletesAndTheLastDeleteLeavesAnEmptyFile();
    void failedRewriteKeepsListAndFile();
    void privateDeleteKeepsOtherRecordsByteForByte();
    void linkCursorAndLink();
    void importMergesChosenFileAndCountsAdded();
    void importCancelledOrMissingFile();
    void exportWritesOwnEntriesUntilFirstTakenOver();

private:
    void writePublic(const QByteArray& data) {
        QFile f(m_lists->publicPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(data);
    }
    QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Builds the tables from the files and a fresh window registry over them.
    void load() {
        m_windows.reset();
        m_lists->LoadPhoneLists();
        m_windows = std::make_unique<ListWindows>(*m_lists, m_clock);
    }
    PublicListWindow* showPublic() { return m_windows->showPublicWindow(&m_owner); }
    void selectRow(QListWidget* list, int row) {
        list->setCurrentRow(row);
        QVERIFY(list->item(row)->isSelected());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PhoneLists> m_lists;
    std::unique_ptr<ListWindows> m_windows;
    std::unique_ptr<MessageRecorder> m_messages;
    FixedClock m_clock;
    QWidget m_owner;
};

void TestListWindows::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_lists = std::make_unique<PhoneLists>(m_dir->path());
    m_messages = std::make_unique<MessageRecorder>();
    load();
}

void TestListWindows::cleanup() {
    m_windows.reset();
    m_messages.reset();
    m_lists.reset();
    m_dir.reset();
    InstallOpenFileChooser({});
    InstallUrlOpener({});
}

void TestListWindows::ownEntriesNewestFirstAndDeleteKeepsFileOrder() {
    writePublic(publicBytes({111, 222, 333}));
    load();
    PublicListWindow* w = showPublic();
    QCOMPARE(w->objectName(), QStringLiteral("frmBlackpub"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Public Telemarketing Black List Setup"));
    QCOMPARE(w->windowModality(), Qt::ApplicationModal);
    auto* list = w->findChild<QListWidget*>(QStringLiteral("List1"));
    QCOMPARE(itemsOf(list), (QStringList{u"333"_s, u"222"_s, u"111"_s}));

    selectRow(list, 1);
    w->findChild<QPushButton*>(QStringLiteral("cmdDelete"))->click();
    QCOMPARE(itemsOf(list), (QStringList{u"333"_s, u"111"_s}));
    QVERIFY(list->selectedItems().isEmpty());
    // The file keeps its own order, so the window shows the same order when it opens again.
    QCOMPARE(readFile(m_lists->publicPath()), publicBytes({111, 333}));
    QCOMPARE(m_lists->publicCount(), 2);
    w->close();
    QTRY_VERIFY(!m_windows->existingPublicWindow());
    list = showPublic()->findChild<QListWidget*>(QStringLiteral("List1"));
    QCOMPARE(itemsOf(list), (QStringList{u"333"_s, u"111"_s}));
    QVERIFY(m_messages->messages().isEmpty());
}

void TestListWindows::takenOverEntriesBelowOwnOnesInFileOrder() {
    writePublic(publicBytes({5, -1, 6, -2, 7}));
    load();
    PublicListWindow* w = showPublic();
    auto* list = w->findChild<QListWidget*>(QStringLiteral("List1"));
    QCOMPARE(itemsOf(list), (QStringList{u"7"_s, u"6"_s, u"5"_s, u"-1"_s, u"-2"_s}));
    // Deleting the top entry writes the rest back interleaved as before.
    selectRow(list, 0);
    w->deleteSelected();
    QCOMPARE(readFile(m_lists->publicPath()), publicBytes({5, -1, 6, -2}));
}

void TestListWindows::deleteNeedsASelection() {
    writePublic(publicBytes({111}));
    load();
    for (ListKind kind : {ListKind::Public, ListKind::Private}) {
        m_messages->clear();
        QWidget* w = kind == ListKind::Public
                         ? static_cast<QWidget*>(m_windows->showPublicWindow(&m_owner))
                         : static_cast<QWidget*>(m_windows->showPrivateWindow(&m_owner));
        w->findChild<QPushButton*>(QStringLiteral("cmdDelete"))->click();
        QCOMPARE(m_messages->messages().size(), 1);
        QCOMPARE(m_messages->messages()[0].text, QStringLiteral("Please select an entry"));
        QCOMPARE(m_messages->messages()[0].title, QStringLiteral("Delete Entry"));
        QCOMPARE(m_messages->messages()[0].icon, MessageIcon::Critical);
    }
    QCOMPARE(readFile(m_lists->publicPath()), publicBytes({111}));
}

void TestListWindows::doubleClickDeletesAndTheLastDeleteLeavesAnEmptyFile() {
    writePublic(publicBytes({111}));
    load();
    PublicListWindow* w = showPublic();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto* list = w->findChild<QListWidget*>(QStringLiteral("List1"));
    QCOMPARE(list->toolTip(), QStringLiteral("Double click to delete"));
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(list->count(), 0);
    QVERIFY(QFile::exists(m_lists->publicPath()));
    QCOMPARE(QFileInfo(m_lists->publicPath()).size(), 0);
    QCOMPARE(m_lists->publicCount(), 0);
}

void TestListWindows::failedRewriteKeepsListAndFile() {
    writePublic(publicBytes({111, 222}));
    load();
    PublicListWindow* w = showPublic();
    auto* list = w->findChild<QListWidget*>(QStringLiteral("List1"));
    // A folder where the file should be makes every write of it fail.
    QVERIFY(QFile::remove(m_lists->publicPath()));
    QVERIFY(QDir().mkdir(m_lists->publicPath()));
    selectRow(list, 0);
    w->deleteSelected();
    QCOMPARE(m_messages->messages().size(), 1);
    QCOMPARE(m_messages->messages()[0].icon, MessageIcon::Critical);
    QCOMPARE(itemsOf(list), (QStringList{u"222"_s, u"111"_s}));
    QCOMPARE(w->rows().size(), std::size_t(2));
}

void TestListWindows::privateDeleteKeepsOtherRecordsByteForByte() {
    const PrivateEntry a = MakePrivateEntry(u"ALICE"_s, u"5551111"_s);
    const PrivateEntry b = MakePrivateEntry(u"BOB"_s, u"5552222"_s);
    const PrivateEntry c = MakePrivateEntry(QString(), u"5553333"_s);
    {
        QFile f(m_lists->privatePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(EncodePrivateRecord(a) + EncodePrivateRecord(b) + EncodePrivateRecord(c));
    }
    load();
    PrivateListWindow* w = m_windows->showPrivateWindow(&m_owner);
    QCOMPARE(w->objectName(), QStringLiteral("frmBlackprv"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Private Black List Setup"));
    auto* list = w->findChild<QListWidget*>(QStringLiteral("List1"));
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(0)->text(), u"5551111             \tALICE"_s + QString(25, u' '));
    QCOMPARE(list->item(2)->text(), u"5553333             \t"_s + QString(30, u' '));
    selectRow(list, 1);
    w->deleteSelected();
    QCOMPARE(readFile(m_lists->privatePath()), EncodePrivateRecord(a) + EncodePrivateRecord(c));
    QCOMPARE(m_lists->privateCount(), 2);
    QCOMPARE(list->item(1)->text(), PrivateListWindow::ItemText(c));
}

void TestListWindows::linkCursorAndLink() {
    PublicListWindow* w = showPublic();
    auto* link = w->findChild<LinkLabel*>(QStringLiteral("Label3"));
    auto* caption = w->findChild<QLabel*>(QStringLiteral("Label2"));
    auto* panel = w->findChild<QGroupBox*>(QStringLiteral("Frame2"));
    QVERIFY(link && caption && panel);
    QCOMPARE(panel->title(), QStringLiteral("Sharing Project"));
    QCOMPARE(caption->text(), QStringLiteral("Download the newest database here:"));
    QVERIFY(w->findChild<QLabel*>(QStringLiteral("Label1"))->text().contains(link->text()));

    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(link, &enter);
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BitmapCursor);
    QCOMPARE(QApplication::overrideCursor()->hotSpot(), QPoint(6, 2));
    // Leaving the link by any other way keeps the hand; the panel or its caption give it back.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    QVERIFY(QApplication::overrideCursor());
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(caption, &move);
    QVERIFY(!QApplication::overrideCursor());
    // A window closed while the hand is up gives the cursor back.
    QApplication::sendEvent(link, &enter);
    QVERIFY(QApplication::overrideCursor());

    QList<QUrl> opened;
    InstallUrlOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(opened.size(), 1);
    // No sharing server exists: the link opens the help page's section on sharing a list.
    QCOMPARE(opened[0].fileName(), u"help.html"_s);
    QCOMPARE(opened[0].fragment(), u"sharing"_s);
    w->close();
    QTRY_VERIFY(!QApplication::overrideCursor());
}

void TestListWindows::importMergesChosenFileAndCountsAdded() {
    writePublic(publicBytes({111, -5, 222}));
    load();
    const QString database = m_dir->filePath(u"new.pnd"_s);
    {
        QFile f(database);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(publicBytes({-111, 5, -333, -333, 777, 0, -999}));
    }
    QString askedTitle, askedFolder, askedFilter;
    InstallOpenFileChooser(
        [&](QWidget*, const QString& title, const QString& folder, const QString& filter) {
            askedTitle = title;
            askedFolder = folder;
            askedFilter = filter;
            return database;
        });
    PublicListWindow* w = showPublic();
    w->findChild<QPushButton*>(QStringLiteral("cmdImport"))->click();
    QCOMPARE(askedTitle, u"Please select a file that downloaded from the database server"_s);
    QCOMPARE(askedFilter, u"Phone Number Database File (*.pnd)"_s);
    QCOMPARE(QDir(askedFolder), QDir(m_dir->path()));

    auto* list = w->findChild<QListWidget*>(QStringLiteral("List1"));
    QCOMPARE(itemsOf(list), (QStringList{u"222"_s, u"-111"_s, u"-333"_s}));
    QCOMPARE(readFile(m_lists->publicPath()), publicBytes({222, -111, -333}));
    QCOMPARE(m_lists->publicCount(), 3);
    QCOMPARE(m_messages->texts(), QStringList{u" 2 records have been imported"_s});
    QCOMPARE(m_messages->messages()[0].title, u"Hushwire"_s);
    QCOMPARE(m_messages->messages()[0].icon, MessageIcon::Information);
}

void TestListWindows::importCancelledOrMissingFile() {
    writePublic(publicBytes({111}));
    load();
    InstallOpenFileChooser(
        [](QWidget*, const QString&, const QString&, const QString&) { return QString(); });
    PublicListWindow* w = showPublic();
    w->findChild<QPushButton*>(QStringLiteral("cmdImport"))->click();
    QVERIFY(m_messages->messages().isEmpty());

    const QString missing = m_dir->filePath(u"nothing.pnd"_s);
    InstallOpenFileChooser(
        [&](QWidget*, const QString&, const QString&, const QString&) { return missing; });
    w->findChild<QPushButton*>(QStringLiteral("cmdImport"))->click();
    QCOMPARE(m_messages->texts(), QStringList{u" 0 records have been imported"_s});
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(readFile(m_lists->publicPath()), publicBytes({111}));
}

void TestListWindows::exportWritesOwnEntriesUntilFirstTakenOver() {
    QList<QUrl> opened;
    InstallUrlOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    PublicListWindow* w = showPublic();
    auto* exportButton = w->findChild<QPushButton*>(QStringLiteral("cmdExport"));
    exportButton->click();
    QCOMPARE(m_messages->texts(), QStringList{u"There is no phone entry here"_s});
    QVERIFY(opened.isEmpty());
    w->close();

    writePublic(publicBytes({222, -555, 333}));
    load();
    m_messages->clear();
    // The tick count is taken as a signed 32-bit number: 2^31 + 5 wraps to -2147483643.
    m_clock.tick = (qint64(1) << 31) + 5;
    w = showPublic();
    w->findChild<QPushButton*>(QStringLiteral("cmdExport"))->click();
    const QString share = QDir(m_dir->path()).filePath(u"share-2147483643.txt"_s);
    QCOMPARE(readFile(share), QByteArray("333\r\n222\r\n"));
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(share)});
    QCOMPARE(m_messages->messages().size(), 1);
    const QString text = m_messages->messages()[0].text;
    QVERIFY(text.startsWith(u"Your Public Telemarketing phone number has been exported to "_s));
    QVERIFY(text.contains(QDir::toNativeSeparators(share)));
    QVERIFY(text.contains(u"Please send this file to "_s));
    QVERIFY(text.endsWith(u", thank you join us!"_s));
}

QTEST_MAIN(TestListWindows)
#include "tst_listwindows.moc"
