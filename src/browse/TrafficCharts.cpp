#include "TrafficCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
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
    return key.mid(8, 2) + '/' + key.mid(5, 2);
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
    QStringList categories;
    qint64 highest = 0;
    for (const StoreStatistics::Count &c : counts) {
        *bars << double(c.messages);
        categories << label(c.key);
        highest = qMax(highest, c.messages);
    }
    auto *series = new QBarSeries;
    series->append(bars);
    chart->addSeries(series);

    auto *x = new QBarCategoryAxis;
    x->append(categories);
    x->setLabelsAngle(categories.size() > 12 ? -90 : 0);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto *y = new QValueAxis;
    y->setLabelFormat(QStringLiteral("%d"));
    y->setRange(0, double(qMax<qint64>(highest, 1)));
    y->applyNiceNumbers();
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
}

} // namespace corvane
