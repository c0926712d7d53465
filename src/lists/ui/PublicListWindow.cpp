#include "lists/ui/PublicListWindow.h"

#include "lists/ListFiles.h"
#include "lists/PhoneLists.h"
#include "lists/PublicText.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/PublicShareActions.h"
#include "lists/ui/SharingProject.h"
#include "ui/HandCursor.h"
#include "ui/LinkLabel.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
QStringList displayTexts(std::vector<ListedValue>::const_iterator first,
                         std::vector<ListedValue>::const_iterator last) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(last - first));
    for (auto it = first; it != last; ++it)
        texts.append(PublicDisplayText(it->value));
    return texts;
}
} // namespace

PublicListWindow::PublicListWindow(ListWindows& registry)
    : ListWindow(registry, QStringLiteral("frmBlackpub"),
                 QStringLiteral("Public Telemarketing Black List Setup")) {
    m_list->setToolTip(QStringLiteral("Double click to delete"));
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { deleteSelected(); });

    auto* exportButton = new QPushButton(QStringLiteral("Export"), this);
    exportButton->setObjectName(QStringLiteral("cmdExport"));
    exportButton->setToolTip(QStringLiteral("This function will put your collection of "
                                            "telemarketer's phone number to a text file."));
    auto* importButton = new QPushButton(QStringLiteral("Import"), this);
    importButton->setObjectName(QStringLiteral("cmdImport"));
    importButton->setToolTip(
        QStringLiteral("Please download the newest telemarketer's phone number database and "
                       "save to your hard disk. Then use this function to import to your own "
                       "database."));
    for (QPushButton* b : {exportButton, importButton})
        b->setAutoDefault(false);
    connect(exportButton, &QPushButton::clicked, this, [this] { ExportShareFile(*this); });
    connect(importButton, &QPushButton::clicked, this, [this] { ImportDatabaseFile(*this); });

    auto* buttons = new QGroupBox(this);
    buttons->setObjectName(QStringLiteral("Frame1"));
    auto* buttonRow = new QHBoxLayout(buttons);
    for (QPushButton* b : {m_add, m_delete, exportButton, importButton})
        buttonRow->addWidget(b);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_list, 0, 0, 2, 1);
    grid->addWidget(buildSharingPanel(), 0, 1);
    grid->addWidget(buttons, 1, 1, Qt::AlignBottom);
    grid->setColumnStretch(0, 1);
    resize(620, 360);

    fillFromTable();
}

QWidget* PublicListWindow::buildSharingPanel() {
    auto* panel = new QGroupBox(QStringLiteral("Sharing Project"), this);
    panel->setObjectName(QStringLiteral("Frame2"));
    const QString site = sharing::SiteName();
    auto* explanation = new QLabel(
        QStringLiteral("Join our Collection Sharing Project. You can download the newest "
                       "telemarketer's phone number database file from ") +
            site +
            QStringLiteral(" and then import to your own database. Also you may export your "
                           "collections to a text file and send it to ") +
            site + QStringLiteral(" so that others can share your collection."),
        panel);
    explanation->setObjectName(QStringLiteral("Label1"));
    explanation->setWordWrap(true);
    auto* caption = new QLabel(QStringLiteral("Download the newest database here:"), panel);
    caption->setObjectName(QStringLiteral("Label2"));
    m_link = new LinkLabel(site, panel);
    m_link->setObjectName(QStringLiteral("Label3"));
    m_link->setUrl(QUrl(sharing::SiteUrl()));

    // The source of the link cursor, kept out of sight as the window's picture of it.
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image2"));
    picture->setPixmap(HandCursorBitmap());
    picture->setGeometry(-64, -64, 32, 32);
    m_link->setLinkCursor(HandCursor());
    m_link->addCursorResetArea(panel);
    m_link->addCursorResetArea(caption);

    auto* column = new QVBoxLayout(panel);
    column->addWidget(explanation);
    column->addWidget(caption);
    column->addWidget(m_link);
    column->addStretch();
    return panel;
}

void PublicListWindow::fillFromTable() {
    const PhoneLists& lists = registry().lists();
    const std::vector<double>& table = lists.PublicList();
    const int n = lists.publicCount();
    std::vector<ListedValue> own;
    std::vector<ListedValue> takenOver;
    for (int i = 0; i < n; ++i) {
        const ListedValue row{table[static_cast<std::size_t>(i)], static_cast<quint64>(i)};
        (row.value < 0 ? takenOver : own).push_back(row);
    }
    // Own entries newest first (the last of the file on top), taken-over ones in file order.
    m_rows.assign(own.rbegin(), own.rend());
    m_rows.insert(m_rows.end(), takenOver.begin(), takenOver.end());
    m_nextSeq = static_cast<quint64>(n);
    m_list->addItems(displayTexts(m_rows.cbegin(), m_rows.cend()));
}

bool PublicListWindow::addValue(double value, QString* error) {
    const QString path = registry().lists().publicPath();
    const qint64 k = static_cast<qint64>(m_rows.size());
    const ListedValue row{value, m_nextSeq};
    // Normally the new record goes right after the last one. When the file holds more than the
    // list (records behind a 0 record, left by another program), writing one record would bring
    // those back to life; the file is then rewritten from the list instead.
    const QFileInfo info(path);
    const qint64 size = info.exists() ? info.size() : 0;
    bool ok = false;
    if (size == k * listfile::kPublicRecordSize) {
        ok = WritePublicRecord(path, k, value, error);
    } else {
        std::vector<double> values = FileOrder(m_rows);
        values.push_back(value);
        ok = RewritePublicFile(path, values, error);
    }
    if (!ok)
        return false;
    ++m_nextSeq;
    m_rows.insert(m_rows.begin(), row);
    m_list->insertItem(0, PublicDisplayText(value));
    return true;
}

bool PublicListWindow::removeEntry(int row, QString* error) {
    std::vector<ListedValue> remaining(m_rows);
    remaining.erase(remaining.begin() + row);
    if (!RewritePublicFile(registry().lists().publicPath(), FileOrder(remaining), error))
        return false;
    m_rows = std::move(remaining);
    return true;
}

bool PublicListWindow::replaceRows(std::vector<ListedValue> rows, quint64 nextSeq, QString* error) {
    if (!RewritePublicFile(registry().lists().publicPath(), FileOrder(rows), error))
        return false;
    // Kept entries keep their texts; only rows whose text changed are touched, so an import
    // into a long list neither formats nor allocates every item again.
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(rows.size()));
    std::size_t old = 0;
    for (const ListedValue& r : rows) {
        while (old < m_rows.size() && m_rows[old].fileSeq != r.fileSeq)
            ++old;
        if (old < m_rows.size())
            texts.append(m_list->item(static_cast<int>(old++))->text());
        else
            texts.append(PublicDisplayText(r.value));
    }
    m_list->setUpdatesEnabled(false);
    m_list->clearSelection();
    const int common = std::min(m_list->count(), static_cast<int>(texts.size()));
    for (int i = 0; i < common; ++i) {
        QListWidgetItem* item = m_list->item(i);
        if (item->text() != texts.at(i))
            item->setText(texts.at(i));
    }
    while (m_list->count() > texts.size())
        delete m_list->takeItem(m_list->count() - 1);
    m_list->addItems(texts.mid(common));
    m_list->setUpdatesEnabled(true);
    m_rows = std::move(rows);
    m_nextSeq = nextSeq;
    return true;
}
