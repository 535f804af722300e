#pragma once

#include "store/StoreStatistics.h"

#include <QWidget>

class QChart;
class QChartView;

namespace corvane
{

// The four traffic charts of the statistics tab: messages per hour over the
// last day, per day over the last month, and the most heard labels and
// operators of that month.
class TrafficCharts : public QWidget
{
    Q_OBJECT
public:
    explicit TrafficCharts(QWidget *parent = nullptr);

    void show(StoreStatistics &statistics, const QDateTime &now);

    QChartView *view(int chart) const { return m_views[chart]; }
    enum Chart { PerHour, PerDay, Labels, Operators, ChartCount };

private:
    // Bars of one chart; `label` shortens each key for the axis.
    void draw(Chart chart, const std::vector<StoreStatistics::Count> &counts,
              QString (*label)(const QString &key));

    QChartView *m_views[ChartCount] = {};
};

} // namespace corvane
