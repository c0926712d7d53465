#include "shell/PromoPanel.h"

#include "shell/AppInfo.h"
#include "ui/HandCursor.h"
#include "ui/UrlOpener.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>

#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

PromoPanel::PromoPanel(QWidget* parent, std::function<double()> random)
    : QGroupBox(QCoreApplication::translate("PromoPanel", "Cool Stuff"), parent),
      m_random(std::move(random)) {
    setObjectName(QStringLiteral("fraCoolStuff"));
    if (!m_random)
        m_random = [] { return QRandomGenerator::global()->generateDouble(); };

    m_lblCool = new QLabel(this);
    m_lblCool->setObjectName(QStringLiteral("lblCool"));
    m_lblCool->setToolTip(
        QCoreApplication::translate("PromoPanel", "Click to read about this title"));
    m_lblCool->setWordWrap(true);

    m_makerLink = appinfo::MakerWebAddress();
    m_label1 =
        new QLabel(QStringLiteral("- ") + appinfo::MakerSiteName() + QStringLiteral(" -"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));

    const QCursor hand = HandCursor();
    for (QLabel* label : {m_lblCool, m_label1}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 255));
        label->setPalette(p);
        label->setCursor(hand);
        label->installEventFilter(this);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblCool);
    layout->addWidget(m_label1, 0, Qt::AlignRight);

    FillPromoTable(m_table);
    ShowRandomEntry();

    m_timCoolStuff = new QTimer(this);
    m_timCoolStuff->setObjectName(QStringLiteral("timCoolStuff"));
    m_timCoolStuff->setInterval(10000);
    connect(m_timCoolStuff, &QTimer::timeout, this, &PromoPanel::ShowRandomEntry);
    m_timCoolStuff->start();
}

PromoPanel::~PromoPanel() = default;

void PromoPanel::ShowRandomEntry() {
    const int index = PickPromoIndex(m_random(), m_table.count);
    const PromoEntry& entry = m_table.entries[size_t(index)];
    m_currentLink = entry.Link;
    m_lblCool->setText(entry.Caption);
}

bool PromoPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        (watched == m_lblCool || watched == m_label1)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* label = static_cast<QLabel*>(watched);
        // A press that is dragged off the label and released elsewhere is no click.
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint()))
            OpenUrl(QUrl(watched == m_lblCool ? m_currentLink : m_makerLink));
    }
    return QGroupBox::eventFilter(watched, event);
}
