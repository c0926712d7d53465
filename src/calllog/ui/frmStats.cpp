#include "calllog/ui/frmStats.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStackedBarSeries>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {
QTreeWidget* MakeTable(const char* name, const QStringList& headers) {
    auto* table = new QTreeWidget;
    table->setObjectName(QLatin1String(name));
    table->setRootIsDecorated(false);
    table->setHeaderLabels(headers);
    table->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

// Whole calls only: a tick every 1, 2, 5, 10, 20, 50... calls, at most five above zero.
int TickStep(int most) {
    for (int scale = 1; scale < 100000000; scale *= 10) {
        for (const int m : {1, 2, 5}) {
            if (most <= m * scale * 5)
                return m * scale;
        }
    }
    return 100000000;
}
} // namespace

frmStats::frmStats(const CallStats& stats, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmStats"));
    setWindowTitle(tr("Call Statistics"));
    resize(760, 560);

    auto* view = new QChartView(makeChart(stats));
    view->setObjectName(QStringLiteral("chtCalls"));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(280);

    m_top = MakeTable("lstTopBlocked", {tr("Number"), tr("Blocked")});
    m_reasons = MakeTable("lstReasons", {tr("Reason"), tr("Calls"), tr("Share")});
    fillTables(stats);

    auto* tables = new QHBoxLayout;
    auto* topColumn = new QVBoxLayout;
    topColumn->addWidget(new QLabel(tr("Blocked most often")));
    topColumn->addWidget(m_top);
    auto* reasonColumn = new QVBoxLayout;
    reasonColumn->addWidget(new QLabel(tr("Blocked by reason")));
    reasonColumn->addWidget(m_reasons);
    tables->addLayout(topColumn);
    tables->addLayout(reasonColumn);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view, 1);
    layout->addLayout(tables);
    layout->addWidget(buttons);
}

QChart* frmStats::makeChart(const CallStats& stats) {
    auto* passed = new QBarSet(tr("Passed"));
    auto* blocked = new QBarSet(tr("Blocked"));
    passed->setColor(QColor(0x4c, 0x9a, 0x2a));
    blocked->setColor(QColor(0xc0, 0x39, 0x2b));
    QStringList days;
    int most = 0;
    for (const CallStats::Day& day : stats.days) {
        *passed << day.passed;
        *blocked << day.blocked;
        days << day.date.toString(QStringLiteral("dd"));
        most = std::max(most, day.passed + day.blocked);
    }
    m_series = new QStackedBarSeries;
    m_series->append(passed);
    m_series->append(blocked);

    auto* chart = new QChart;
    chart->addSeries(m_series);
    if (!stats.days.empty())
        chart->setTitle(tr("Calls per day, %1 to %2")
                            .arg(QLocale().toString(stats.days.front().date, QLocale::ShortFormat),
                                 QLocale().toString(stats.days.back().date, QLocale::ShortFormat)));
    auto* dayAxis = new QBarCategoryAxis;
    dayAxis->append(days);
    // Thirty day numbers side by side: in the usual size they would be cut to "...".
    QFont small = dayAxis->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.75);
    dayAxis->setLabelsFont(small);
    dayAxis->setTruncateLabels(false);
    const int step = TickStep(most);
    auto* countAxis = new QValueAxis;
    countAxis->setLabelFormat(QStringLiteral("%d"));
    countAxis->setTickType(QValueAxis::TicksDynamic);
    countAxis->setTickAnchor(0);
    countAxis->setTickInterval(step);
    countAxis->setRange(0, std::max(step, (most + step - 1) / step * step));
    chart->addAxis(dayAxis, Qt::AlignBottom);
    chart->addAxis(countAxis, Qt::AlignLeft);
    m_series->attachAxis(dayAxis);
    m_series->attachAxis(countAxis);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

void frmStats::fillTables(const CallStats& stats) {
    for (const auto& [number, count] : stats.topBlocked)
        new QTreeWidgetItem(m_top, {number, QString::number(count)});
    for (int i = 0; i < kBlockReasons; ++i) {
        const auto reason = BlockReason(i);
        new QTreeWidgetItem(m_reasons,
                            {BlockReasonName(reason), QString::number(stats.reasons[size_t(i)]),
                             stats.reasonShare(reason)});
    }
}
