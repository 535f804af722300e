#include "TrafficCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QHorizontalBarSeries>
#include <QValueAxis>

#include <algorithm>

namespace corvane
{

namespace
{

const char *const kTitles[] = {"Messages per hour (last 24 hours)",
                               "Messages per day (last 30 days)", "Top labels (last 30 days)",
                               "Top operators (last 30 days)"};
const char *const kNames[] = {"chtPerHour", "chtPerDay", "chtLabels", "chtOperators"};

// Two characters a bar, so that 24 hours and 30 days keep their labels
// upright and whole in a small chart; the titles give the period.
QString hourOf(const QString &key)
{
    return key.mid(11, 2); // "YYYY-MM-DD HH:00"
}

QString dayOf(const QString &key)
{
    return key.mid(8, 2); // "YYYY-MM-DD"
}

// Ticks at whole numbers, a 1, 2 or 5 step apart, about five of them, for
// any highest count (an empty chart too).
void setCountAxis(QValueAxis *axis, qint64 highest)
{
    qint64 step = 1;
    for (qint64 decade = 1; highest > step * 5; decade *= 10)
        for (qint64 m : {1, 2, 5}) {
            step = m * decade;
            if (highest <= step * 5)
                break;
        }
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(double(step));
    axis->setRange(0, double(qMax<qint64>((highest + step - 1) / step, 1) * step));
}

QString asShown(const QString &key)
{
    // The operator code of business jets and miscellaneous aircraft.
    if (key == QLatin1String("---"))
        return QStringLiteral("Biz Jets/Misc");
    return key.isEmpty() ? QStringLiteral("(none)") : key;
}

} // namespace

TrafficCharts::TrafficCharts(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraCharts"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < ChartCount; ++i) {
        auto *chart = new QChart;
        chart->setTitle(QString::fromLatin1(kTitles[i]));
        chart->legend()->hide();
        chart->setAnimationOptions(QChart::NoAnimation);
        chart->setMargins(QMargins(2, 2, 2, 2));
        m_views[i] = new QChartView(chart, this);
        m_views[i]->setObjectName(QString::fromLatin1(kNames[i]));
        m_views[i]->setRenderHint(QPainter::Antialiasing);
        m_views[i]->setMinimumSize(260, 170);
        grid->addWidget(m_views[i], i / 2, i % 2);
    }
}

void TrafficCharts::show(StoreStatistics &statistics, const QDateTime &now)
{
    draw(PerHour, statistics.perHour(now), &hourOf);
    draw(PerDay, statistics.perDay(now.date()), &dayOf);
    draw(Labels, statistics.topLabels(now.date()), &asShown);
    draw(Operators, statistics.topOperators(now.date()), &asShown);
}

void TrafficCharts::draw(Chart which, const std::vector<StoreStatistics::Count> &counts,
                         QString (*label)(const QString &key))
{
    QChart *chart = m_views[which]->chart();
    chart->removeAllSeries();
    // The chart gives up an axis it removes; the series it deletes itself.
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }

    // Labels and operators lie on their side: their names get a line's
    // width instead of a bar's, and the most heard is drawn at the top.
    const bool named = which == Labels || which == Operators;
    std::vector<StoreStatistics::Count> ordered = counts;
    if (named)
        std::reverse(ordered.begin(), ordered.end());
    auto *bars = new QBarSet(QStringLiteral("Messages"));
    QStringList categories;
    qint64 highest = 0;
    for (const StoreStatistics::Count &c : ordered) {
        *bars << double(c.messages);
        categories << label(c.key);
        highest = qMax(highest, c.messages);
    }
    QAbstractBarSeries *series =
        named ? static_cast<QAbstractBarSeries *>(new QHorizontalBarSeries) : new QBarSeries;
    series->append(bars);
    chart->addSeries(series);

    auto *names = new QBarCategoryAxis;
    names->append(categories);
    QFont small = names->labelsFont();
    small.setPointSizeF(qMax(6.0, small.pointSizeF() - 1));
    names->setLabelsFont(small);
    chart->addAxis(names, named ? Qt::AlignLeft : Qt::AlignBottom);
    series->attachAxis(names);
    auto *values = new QValueAxis;
    setCountAxis(values, highest);
    values->setLabelsFont(small);
    chart->addAxis(values, named ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(values);
}

} // namespace corvane
