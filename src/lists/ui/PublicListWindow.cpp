#include "lists/ui/PublicListWindow.h"

#include "lists/ListStore.h"
#include "lists/PublicText.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/PublicShareActions.h"
#include "lists/ui/SharingProject.h"
#include "ui/HandCursor.h"
#include "ui/LinkLabel.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QVBoxLayout>
#include <algorithm>

PublicListWindow::PublicListWindow(ListWindows& registry)
    : ListWindow(registry, ListKind::Public, QStringLiteral("frmBlackpub"),
                 QCoreApplication::translate("PublicListWindow",
                                             "Public Telemarketing Black List Setup")) {
    m_list->setToolTip(QCoreApplication::translate("PublicListWindow", "Double click to delete"));
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { deleteSelected(); });

    auto* exportButton =
        new QPushButton(QCoreApplication::translate("PublicListWindow", "Export"), this);
    exportButton->setObjectName(QStringLiteral("cmdExport"));
    exportButton->setToolTip(QCoreApplication::translate(
        "PublicListWindow", "This function will put your collection of "
                            "telemarketer's phone number to a text file."));
    auto* importButton =
        new QPushButton(QCoreApplication::translate("PublicListWindow", "Import"), this);
    importButton->setObjectName(QStringLiteral("cmdImport"));
    importButton->setToolTip(QCoreApplication::translate(
        "PublicListWindow", "Please download the newest telemarketer's phone number database and "
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

    connect(&store(), &ListStore::publicReplaced, this, &PublicListWindow::replaceItems);
    fillList();
}

QWidget* PublicListWindow::buildSharingPanel() {
    auto* panel =
        new QGroupBox(QCoreApplication::translate("PublicListWindow", "Sharing Project"), this);
    panel->setObjectName(QStringLiteral("Frame2"));
    const QString site = sharing::SiteName();
    auto* explanation = new QLabel(
        QCoreApplication::translate(
            "PublicListWindow", "Join our Collection Sharing Project. You can download the newest "
                                "telemarketer's phone number database file from ") +
            site +
            QCoreApplication::translate(
                "PublicListWindow",
                " and then import to your own database. Also you may export your "
                "collections to a text file and send it to ") +
            site +
            QCoreApplication::translate("PublicListWindow",
                                        " so that others can share your collection."),
        panel);
    explanation->setObjectName(QStringLiteral("Label1"));
    explanation->setWordWrap(true);
    auto* caption = new QLabel(
        QCoreApplication::translate("PublicListWindow", "Download the newest database here:"),
        panel);
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

QString PublicListWindow::itemText(int row) const {
    return PublicDisplayText(store().publicRows()[std::size_t(row)].value);
}

void PublicListWindow::itemsShown(const QStringList& texts) {
    // Digits share one width in practically every font, so texts that differ only in their
    // digits are equally wide, and one text of each form is measured. The form is built in one
    // buffer, copied only when it is new.
    QSet<QString> forms{QString(11, QLatin1Char('0'))};
    QString form;
    for (const QString& text : texts) {
        form.resize(text.size());
        QChar* out = form.data();
        for (QChar c : text)
            *out++ = c.isDigit() ? QLatin1Char('0') : c;
        if (!forms.contains(form))
            forms.insert(form);
    }
    // The room the list's own items take for each form, margins included.
    QStyleOptionViewItem item;
    item.initFrom(m_list);
    item.font = m_list->font();
    item.features = QStyleOptionViewItem::HasDisplay;
    const int before = m_itemWidth;
    for (const QString& measured : std::as_const(forms)) {
        item.text = measured;
        const QSize size =
            m_list->style()->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), m_list);
        m_itemWidth = std::max(m_itemWidth, size.width());
    }
    if (m_itemWidth == before)
        return;
    // The vertical scroll bar of a long list stands beside the items.
    const int scrollBar = m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_list);
    m_list->setMinimumWidth(m_itemWidth + 2 * m_list->spacing() + scrollBar +
                            2 * m_list->frameWidth());
}

void PublicListWindow::replaceItems(const std::vector<ListedValue>& before) {
    const std::vector<ListedValue>& rows = store().publicRows();
    // Kept entries keep their texts; only rows whose text changed are touched, so an import
    // into a long list neither formats nor allocates every item again. A text depends on the
    // value alone, so the items shown before are found again by their values.
    QHash<double, QString> shown;
    shown.reserve(static_cast<qsizetype>(before.size()));
    for (std::size_t i = 0; i < before.size() && int(i) < m_list->count(); ++i)
        shown.insert(before[i].value, m_list->item(static_cast<int>(i))->text());
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(rows.size()));
    for (const ListedValue& r : rows) {
        const auto known = shown.constFind(r.value);
        texts.append(known != shown.cend() ? *known : PublicDisplayText(r.value));
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
    itemsShown(texts);
}
