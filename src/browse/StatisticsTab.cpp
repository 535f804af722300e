#include "StatisticsTab.h"

#include "TrafficCharts.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "store/HeardRegistrations.h"
#include "store/StoreError.h"
#include "store/StoreStatistics.h"

#include <QBoxLayout>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

namespace corvane
{

namespace
{

struct FigureRow {
    const char *caption;
    const char *captionName;
    const char *dataName;
};

const FigureRow kFigures[] = {
    {"Total Records ", "lblTotalRecords", "lblTotalRecordsData"},
    {"Unique Aircraft/Flight No", "lblUniqueAF", "lblUniqueAFData"},
    {"Unique Aircraft", "lblUniqueA", "lblUniqueAData"},
    {"Aircraft", "lblAircraft", "lblAircraftData"},
    {"Carriers", "lblCarriers", "lblCarriersData"},
    {"First Record", "lblFirstRecord", "lblFirstRecordData"},
    {"Last Record", "lblLastRecord", "lblLastRecordData"},
};

} // namespace

StatisticsTab::StatisticsTab(MainWindow &window, Store &store)
    : QObject(&window), m_window(window), m_store(store)
{
    build();
    connect(m_clearUnmatched, &QPushButton::clicked, this, &StatisticsTab::clearUnmatched);
}

void StatisticsTab::build()
{
    QWidget *page = m_window.tabPage(MainWindow::TabStatistics);
    auto *top = new QWidget(page);
    auto *row = new QHBoxLayout(top);
    row->setContentsMargins(0, 0, 0, 0);
    auto *left = new QVBoxLayout;
    left->addWidget(buildFigures(top));
    left->addWidget(buildUnmatched(top), 1);
    row->addLayout(left);
    m_charts = new TrafficCharts(top);
    row->addWidget(m_charts, 1);
    // Above the aircraft-by-operator list, whichever was built first.
    // The charts take the most of a small screen's height.
    static_cast<QBoxLayout *>(page->layout())->insertWidget(0, top, 2);
}

QWidget *StatisticsTab::buildFigures(QWidget *parent)
{
    auto *frame = new QGroupBox(QStringLiteral("Database Statistics"), parent);
    frame->setObjectName(QStringLiteral("fraDatabase"));
    auto *grid = new QGridLayout(frame);
    int line = 0;
    for (const FigureRow &f : kFigures) {
        auto *caption = new QLabel(QString::fromLatin1(f.caption), frame);
        caption->setObjectName(QString::fromLatin1(f.captionName));
        auto *data = new QLabel(frame);
        data->setObjectName(QString::fromLatin1(f.dataName));
        data->setTextInteractionFlags(Qt::TextSelectableByMouse);
        data->setMinimumWidth(90);
        grid->addWidget(caption, line, 0);
        grid->addWidget(data, line++, 1);
    }
    m_figures = frame;
    return frame;
}

QWidget *StatisticsTab::buildUnmatched(QWidget *parent)
{
    auto *frame = new QGroupBox(QStringLiteral("Aircraft not in database"), parent);
    frame->setObjectName(QStringLiteral("fraUnmatched"));
    auto *layout = new QVBoxLayout(frame);
    m_unmatched = new QPlainTextEdit(frame);
    m_unmatched->setObjectName(QStringLiteral("txtUnmatched"));
    m_clearUnmatched = new QPushButton(QStringLiteral("Clear"), frame);
    m_clearUnmatched->setObjectName(QStringLiteral("cmdClearUnmatched"));
    layout->addWidget(m_unmatched, 1);
    layout->addWidget(m_clearUnmatched, 0, Qt::AlignRight);
    return frame;
}

QLabel *StatisticsTab::figure(const char *name) const
{
    return m_figures->findChild<QLabel *>(QString::fromLatin1(name));
}

void StatisticsTab::clearUnmatched()
{
    m_unmatched->clear();
}

void StatisticsTab::refreshStatistics()
{
    const bool onTab = m_window.tabs()->currentIndex() == MainWindow::TabStatistics;
    holdImportButton(onTab);
    if (!onTab)
        return;
    try {
        fill();
    } catch (const StoreError &e) {
        Dialogs::critical(&m_window, e.message());
    }
}

void StatisticsTab::holdImportButton(bool onTab)
{
    // No import starts from the statistics tab. The button is given back only
    // if this tab took it: a live link or a running import keeps it disabled.
    QPushButton *import = m_window.importButton();
    if (onTab) {
        if (import->isEnabled()) {
            import->setEnabled(false);
            m_holdsImport = true;
        }
    } else if (m_holdsImport) {
        m_holdsImport = false;
        if (!m_window.isLinked())
            import->setEnabled(true);
    }
}

void StatisticsTab::fill()
{
    StoreStatistics statistics(m_store);
    const StoreStatistics::Figures f = statistics.figures();
    const qint64 inView = viewRecordCount ? viewRecordCount() : f.messages;
    // Grouped as the locale does; the command line keeps plain digits.
    const QLocale locale;
    figure("lblTotalRecordsData")->setText(locale.toString(inView));
    figure("lblUniqueAFData")->setText(locale.toString(f.heardPairs));
    figure("lblUniqueAData")->setText(locale.toString(f.heardAircraft));
    figure("lblAircraftData")->setText(locale.toString(f.aircraft));
    figure("lblCarriersData")->setText(locale.toString(f.carriers));
    figure("lblFirstRecordData")->setText(f.firstDay);
    figure("lblLastRecordData")->setText(f.lastDay);
    fillUnmatched();
    m_charts->show(statistics, QDateTime::currentDateTime());
}

void StatisticsTab::fillUnmatched()
{
    QStringList unknown;
    qint64 more = 0;
    for (const HeardRegistrations::Match &m : HeardRegistrations(m_store).matchedWithAircraft()) {
        if (m.known || m.registration.isEmpty())
            continue;
        if (unknown.size() < kUnmatchedShown)
            unknown << m.registration;
        else
            ++more;
    }
    if (more > 0)
        unknown << QStringLiteral("and %1 more").arg(QLocale().toString(more));
    m_unmatched->setPlainText(unknown.join(u'\n'));
}

} // namespace corvane
