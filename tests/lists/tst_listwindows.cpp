#include "lists/ListFiles.h"
#include "lists/ui/FileChooser.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/PrivateListWindow.h"
#include "lists/ui/PublicListWindow.h"
#include "support/ListWindowsRig.h"
#include "ui/LinkLabel.h"
#include "ui/UrlOpener.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {
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
    void importStopsAtTheListsCapacity();
    void publicListShowsWholeNumbers();
    void exportWritesOwnEntriesUntilFirstTakenOver();

private:
    PublicListWindow* showPublic() { return m_rig->windows->showPublicWindow(&m_owner); }
    void selectRow(QListWidget* list, int row) {
        list->setCurrentRow(row);
        QVERIFY(list->item(row)->isSelected());
    }

    std::unique_ptr<ListWindowsRig> m_rig;
    QWidget m_owner;
};

void TestListWindows::init() {
    m_rig = std::make_unique<ListWindowsRig>();
}

void TestListWindows::cleanup() {
    m_rig.reset();
    InstallOpenFileChooser({});
    InstallUrlOpener({});
}

void TestListWindows::ownEntriesNewestFirstAndDeleteKeepsFileOrder() {
    m_rig->start({111, 222, 333});
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
    QCOMPARE(m_rig->folder.publicFile(), PublicBytes({111, 333}));
    QCOMPARE(m_rig->folder.lists.publicCount(), 2);
    w->close();
    QTRY_VERIFY(!m_rig->windows->existingPublicWindow());
    list = showPublic()->findChild<QListWidget*>(QStringLiteral("List1"));
    QCOMPARE(itemsOf(list), (QStringList{u"333"_s, u"111"_s}));
    QVERIFY(m_rig->messages.messages().isEmpty());
}

void TestListWindows::takenOverEntriesBelowOwnOnesInFileOrder() {
    m_rig->start({5, -1, 6, -2, 7});
    PublicListWindow* w = showPublic();
    auto* list = w->findChild<QListWidget*>(QStringLiteral("List1"));
    QCOMPARE(itemsOf(list), (QStringList{u"7"_s, u"6"_s, u"5"_s, u"-1"_s, u"-2"_s}));
    // Deleting the top entry writes the rest back interleaved as before.
    selectRow(list, 0);
    w->deleteSelected();
    QCOMPARE(m_rig->folder.publicFile(), PublicBytes({5, -1, 6, -2}));
}

void TestListWindows::deleteNeedsASelection() {
    m_rig->start({111});
    for (ListKind kind : {ListKind::Public, ListKind::Private}) {
        m_rig->messages.clear();
        QWidget* w = kind == ListKind::Public
                         ? static_cast<QWidget*>(m_rig->windows->showPublicWindow(&m_owner))
                         : static_cast<QWidget*>(m_rig->windows->showPrivateWindow(&m_owner));
        w->findChild<QPushButton*>(QStringLiteral("cmdDelete"))->click();
        QCOMPARE(m_rig->messages.messages().size(), 1);
        QCOMPARE(m_rig->messages.messages()[0].text, QStringLiteral("Please select an entry"));
        QCOMPARE(m_rig->messages.messages()[0].title, QStringLiteral("Delete Entry"));
        QCOMPARE(m_rig->messages.messages()[0].icon, MessageIcon::Critical);
    }
    QCOMPARE(m_rig->folder.publicFile(), PublicBytes({111}));
}

void TestListWindows::doubleClickDeletesAndTheLastDeleteLeavesAnEmptyFile() {
    m_rig->start({111});
    PublicListWindow* w = showPublic();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto* list = w->findChild<QListWidget*>(QStringLiteral("List1"));
    QCOMPARE(list->toolTip(), QStringLiteral("Double click to delete"));
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(list->count(), 0);
    QVERIFY(QFile::exists(m_rig->folder.lists.publicPath()));
    QCOMPARE(QFileInfo(m_rig->folder.lists.publicPath()).size(), 0);
    QCOMPARE(m_rig->folder.lists.publicCount(), 0);
}

void TestListWindows::failedRewriteKeepsListAndFile() {
    m_rig->start({111, 222});
    PublicListWindow* w = showPublic();
    auto* list = w->findChild<QListWidget*>(QStringLiteral("List1"));
    // A folder where the file should be makes every write of it fail.
    QVERIFY(QFile::remove(m_rig->folder.lists.publicPath()));
    QVERIFY(QDir().mkdir(m_rig->folder.lists.publicPath()));
    selectRow(list, 0);
    w->deleteSelected();
    QCOMPARE(m_rig->messages.messages().size(), 1);
    QCOMPARE(m_rig->messages.messages()[0].icon, MessageIcon::Critical);
    QCOMPARE(itemsOf(list), (QStringList{u"222"_s, u"111"_s}));
    QCOMPARE(m_rig->folder.store.publicRows().size(), std::size_t(2));
}

void TestListWindows::privateDeleteKeepsOtherRecordsByteForByte() {
    const PrivateEntry a = MakePrivateEntry(u"ALICE"_s, u"5551111"_s);
    const PrivateEntry b = MakePrivateEntry(u"BOB"_s, u"5552222"_s);
    const PrivateEntry c = MakePrivateEntry(QString(), u"5553333"_s);
    m_rig->start({}, {a, b, c});
    PrivateListWindow* w = m_rig->windows->showPrivateWindow(&m_owner);
    QCOMPARE(w->objectName(), QStringLiteral("frmBlackprv"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Private Black List Setup"));
    auto* list = w->findChild<QListWidget*>(QStringLiteral("List1"));
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(0)->text(), u"5551111             \tALICE"_s + QString(25, u' '));
    QCOMPARE(list->item(2)->text(), u"5553333             \t"_s + QString(30, u' '));
    selectRow(list, 1);
    w->deleteSelected();
    QCOMPARE(m_rig->folder.privateFile(), EncodePrivateRecord(a) + EncodePrivateRecord(c));
    QCOMPARE(m_rig->folder.lists.privateCount(), 2);
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
    m_rig->start({111, -5, 222});
    const QString database = m_rig->folder.dir.filePath(u"new.pnd"_s);
    QVERIFY(WriteFileBytes(database, PublicBytes({-111, 5, -333, -333, 777, 0, -999})));
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
    QCOMPARE(QDir(askedFolder), QDir(m_rig->folder.dir.path()));

    auto* list = w->findChild<QListWidget*>(QStringLiteral("List1"));
    QCOMPARE(itemsOf(list), (QStringList{u"222"_s, u"-111"_s, u"-333"_s}));
    QCOMPARE(m_rig->folder.publicFile(), PublicBytes({222, -111, -333}));
    QCOMPARE(m_rig->folder.lists.publicCount(), 3);
    QCOMPARE(m_rig->messages.texts(), QStringList{u" 2 records have been imported"_s});
    QCOMPARE(m_rig->messages.messages()[0].title, u"Hushwire"_s);
    QCOMPARE(m_rig->messages.messages()[0].icon, MessageIcon::Information);
}

void TestListWindows::importCancelledOrMissingFile() {
    m_rig->start({111});
    InstallOpenFileChooser(
        [](QWidget*, const QString&, const QString&, const QString&) { return QString(); });
    PublicListWindow* w = showPublic();
    w->findChild<QPushButton*>(QStringLiteral("cmdImport"))->click();
    QVERIFY(m_rig->messages.messages().isEmpty());

    const QString missing = m_rig->folder.dir.filePath(u"nothing.pnd"_s);
    InstallOpenFileChooser(
        [&](QWidget*, const QString&, const QString&, const QString&) { return missing; });
    w->findChild<QPushButton*>(QStringLiteral("cmdImport"))->click();
    QCOMPARE(m_rig->messages.texts(), QStringList{u" 0 records have been imported"_s});
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(m_rig->folder.publicFile(), PublicBytes({111}));
}

void TestListWindows::importStopsAtTheListsCapacity() {
    std::vector<double> own;
    for (int i = 1; i <= 49998; ++i)
        own.push_back(i);
    m_rig->start(own);
    const QString database = m_rig->folder.dir.filePath(u"big.pnd"_s);
    // Two new numbers fill the list; replacing an own entry by its taken-over form keeps the
    // length and still goes through; the other new numbers do not fit.
    QVERIFY(WriteFileBytes(database, PublicBytes({-70001, -70002, -70003, -1, -70004})));
    InstallOpenFileChooser(
        [&](QWidget*, const QString&, const QString&, const QString&) { return database; });
    PublicListWindow* w = showPublic();
    w->findChild<QPushButton*>(QStringLiteral("cmdImport"))->click();

    QCOMPARE(m_rig->messages.texts(),
             QStringList{u" 3 records have been imported\n\nThe public telemarketer list holds at "
                         u"most 50000 entries.\nAdded: 3. Did not fit: 2."_s});
    QCOMPARE(m_rig->messages.messages()[0].icon, MessageIcon::Warning);
    std::vector<double> expected(own.begin() + 1, own.end());
    expected.insert(expected.end(), {-70001, -70002, -1});
    QCOMPARE(m_rig->folder.publicFile(), PublicBytes(expected));
    QCOMPARE(m_rig->folder.lists.publicCount(), 50000);
    QVERIFY(m_rig->folder.lists.MatchesPublic(u"70002"_s));
    QVERIFY(!m_rig->folder.lists.MatchesPublic(u"70003"_s));
    QCOMPARE(w->list()->count(), 50000);
    QCOMPARE(w->list()->item(49999)->text(), u"-1"_s);
}

void TestListWindows::publicListShowsWholeNumbers() {
    // Whether a text is shown whole: an item's text stands inside the focus frame's margins, and
    // the list does not scroll sideways.
    auto showsWhole = [](const QListWidget* list, const QString& text) {
        const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list);
        return list->viewport()->width() - 2 * (margin + 1) >=
                   list->fontMetrics().horizontalAdvance(text) &&
               list->horizontalScrollBar()->maximum() == 0;
    };
    // Enough entries for a vertical scroll bar; twelve characters with and without a sign.
    std::vector<double> values;
    for (int i = 0; i < 200; ++i)
        values.push_back(8553232601.0 + i);
    values.insert(values.end(), {123456789012.0, -88833344445.0});
    m_rig->start(values);
    PublicListWindow* w = showPublic();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QListWidget* list = w->list();
    QTRY_VERIFY(list->verticalScrollBar()->isVisible());
    QTRY_VERIFY(showsWhole(list, u"123456789012"_s));
    QVERIFY(showsWhole(list, u"-88833344445"_s));

    // An entry wider than any shown so far widens the list.
    QString error;
    QVERIFY(m_rig->folder.store.addPublic(123456789012345.0, &error));
    QCOMPARE(list->item(0)->text(), u"123456789012345"_s);
    QTRY_VERIFY(showsWhole(list, list->item(0)->text()));
    w->close();

    // A list of short numbers still leaves room for eleven digits.
    m_rig->start({5});
    list = showPublic()->list();
    QTRY_VERIFY(showsWhole(list, u"00000000000"_s));
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
    QCOMPARE(m_rig->messages.texts(), QStringList{u"There is no phone entry here"_s});
    QVERIFY(opened.isEmpty());
    w->close();

    m_rig->start({222, -555, 333});
    m_rig->messages.clear();
    // The tick count is taken as a signed 32-bit number: 2^31 + 5 wraps to -2147483643.
    m_rig->folder.time.advance((qint64(1) << 31) + 5);
    w = showPublic();
    w->findChild<QPushButton*>(QStringLiteral("cmdExport"))->click();
    const QString share = QDir(m_rig->folder.dir.path()).filePath(u"share-2147483643.txt"_s);
    QCOMPARE(ReadFileBytes(share), QByteArray("333\r\n222\r\n"));
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(share)});
    QCOMPARE(m_rig->messages.messages().size(), 1);
    const QString text = m_rig->messages.messages()[0].text;
    QVERIFY(text.startsWith(u"Your Public Telemarketing phone number has been exported to "_s));
    QVERIFY(text.contains(QDir::toNativeSeparators(share)));
    QVERIFY(text.contains(u"Please send this file to "_s));
    QVERIFY(text.endsWith(u", thank you join us!"_s));
}

QTEST_MAIN(TestListWindows)
#include "tst_listwindows.moc"
