#pragma once

#include "calllog/CallStats.h"

#include <QDialog>

class QChart;
class QStackedBarSeries;
class QTreeWidget;

// Logs > Call Statistics...: the calls of the last 30 days as a bar chart per day (passed and
// blocked stacked), the ten numbers blocked most often with their counts, and the share of the
// blocked calls each reason took. Made from the daily log files, which are the record.
class frmStats : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDays = 30;

    frmStats(const CallStats& stats, QWidget* parent = nullptr);

    QStackedBarSeries* series() const { return m_series; }
    QTreeWidget* topNumbers() const { return m_top; }
    QTreeWidget* reasons() const { return m_reasons; }

private:
    QChart* makeChart(const CallStats& stats);
    void fillTables(const CallStats& stats);

    QStackedBarSeries* m_series = nullptr;
    QTreeWidget* m_top = nullptr;
    QTreeWidget* m_reasons = nullptr;
};
