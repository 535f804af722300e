#include "TrafficCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QValueAxis>

namespace corvane
{

namespace
{

const char *const kTitles[] = {"Messages per hour (last 24 hours)",
                               "Messages per day (last 30 days)", "Top labels (last 30 days)",
                               "Top operators (last 30 days)"};
const char *const kNames[] = {"chtPerHour", "chtPerDay", "chtLabels", "chtOperators"};

QString hourOf(const QString &key)
{
    return key.mid(11, 2); // "YYYY-MM-DD HH:00"
}

QString dayAndMonth(const QString &key)
{
    return key.mid(8, 2) + '/' + key.mid(5, 2); // "YYYY-MM-DD"
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

// Hours and days are too many to name each under its bar in a small chart:
// every step-th is named, counting back from the newest, which always is.
QAbstractAxis *timeAxis(const std::vector<StoreStatistics::Count> &counts,
                        QString (*label)(const QString &key), int step)
{
    auto *axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setGridLineVisible(false);
    const int n = int(counts.size());
    axis->setRange(-0.5, qMax(n, 1) - 0.5);
    axis->setStartValue(-0.5);
    for (int i = 0; i < n; ++i)
        if ((n - 1 - i) % step == 0)
            axis->append(label(counts[size_t(i)].key), i);
    return axis;
}

// Labels and operator codes are turned on their side: however narrow the
// bars get, each name has the height it needs.
QAbstractAxis *nameAxis(const std::vector<StoreStatistics::Count> &counts,
                        QString (*label)(const QString &key))
{
    auto *axis = new QBarCategoryAxis;
    for (const StoreStatistics::Count &c : counts)
        axis->append(label(c.key));
    axis->setLabelsAngle(-90);
    return axis;
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
        // Every pixel to the bars and their names: a small screen has few.
        chart->setMargins(QMargins(0, 0, 12, 0)); // the newest day's name
        chart->layout()->setContentsMargins(0, 0, 0, 0);
        chart->setBackgroundRoundness(0);
        QFont title = chart->titleFont();
        title.setPointSizeF(qMax(6.0, title.pointSizeF() - 1));
        chart->setTitleFont(title);
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
    draw(PerDay, statistics.perDay(now.date()), &dayAndMonth);
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

    auto *bars = new QBarSet(QStringLiteral("Messages"));
    qint64 highest = 0;
    for (const StoreStatistics::Count &c : counts) {
        *bars << double(c.messages);
        highest = qMax(highest, c.messages);
    }
    auto *series = new QBarSeries;
    series->append(bars);
    chart->addSeries(series);

    QFont small = chart->titleFont();
    small.setPointSizeF(qMax(6.0, small.pointSizeF() - 1));
    QAbstractAxis *names = which == PerHour || which == PerDay
                               ? timeAxis(counts, label, which == PerHour ? 3 : 5)
                               : nameAxis(counts, label);
    names->setLabelsFont(small);
    chart->addAxis(names, Qt::AlignBottom);
    series->attachAxis(names);
    auto *values = new QValueAxis;
    setCountAxis(values, highest);
    values->setLabelsFont(small);
    chart->addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);
}

} // namespace corvane
