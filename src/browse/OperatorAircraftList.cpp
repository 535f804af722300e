#include "OperatorAircraftList.h"

#include "TableGridModel.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "store/AircraftLookup.h"
#include "store/BrowsingQueries.h"
#include "store/StoreError.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>

namespace corvane
{

namespace
{
const QString kCarrier = QStringLiteral("Carrier");
} // namespace

OperatorAircraftList::OperatorAircraftList(MainWindow &window, Store &store)
    : m_window(window), m_store(store)
{
    build();
    connect(m_type, &QComboBox::activated, this,
            [this](int index) { chooseType(m_type->itemText(index)); });
    connect(m_criteria, &QComboBox::activated, this,
            [this](int index) { chooseCriteria(m_criteria->itemText(index)); });
}

void OperatorAircraftList::build()
{
    QWidget *page = m_window.tabPage(MainWindow::TabStatistics);
    auto *frame = new QGroupBox(QStringLiteral("Aircraft by operator"), page);
    frame->setObjectName(QStringLiteral("fraCarriers"));
    auto *grid = new QGridLayout(frame);

    auto *typeLabel = new QLabel(QStringLiteral("Type:"), frame);
    typeLabel->setObjectName(QStringLiteral("lblType"));
    m_type = new QComboBox(frame);
    m_type->setObjectName(QStringLiteral("cboType"));
    m_type->setToolTip(QStringLiteral("Select the Type of Statistics you would like to see"));
    m_type->addItem(kCarrier);
    m_type->setCurrentIndex(-1);
    auto *criteriaLabel = new QLabel(QStringLiteral("Criteria:"), frame);
    criteriaLabel->setObjectName(QStringLiteral("lblCriteria"));
    m_criteria = new QComboBox(frame);
    m_criteria->setObjectName(QStringLiteral("cboCriteria"));
    m_criteria->setMinimumContentsLength(24);

    m_model = new TableGridModel(m_store,
                                 {{QStringLiteral("Registration"), TableGridModel::Kind::Text},
                                  {QStringLiteral("Type"), TableGridModel::Kind::Text},
                                  {QStringLiteral("Serial"), TableGridModel::Kind::Text},
                                  {QStringLiteral("Heard?"), TableGridModel::Kind::Heard}},
                                 this);
    m_grid = new QTableView(frame);
    m_grid->setObjectName(QStringLiteral("tdblCarriers"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();

    grid->addWidget(typeLabel, 0, 0);
    grid->addWidget(m_type, 0, 1);
    grid->addWidget(criteriaLabel, 1, 0);
    grid->addWidget(m_criteria, 1, 1);
    grid->addWidget(m_grid, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    static_cast<QBoxLayout *>(page->layout())->addWidget(frame, 1);
}

void OperatorAircraftList::chooseType(const QString &type)
{
    // Listed afresh each time, so choosing "Carrier" again repeats nothing.
    m_criteria->clear();
    if (type != kCarrier)
        return;
    m_criteria->addItem(QString::fromLatin1(AircraftLookup::kBizChoice));
    try {
        m_criteria->addItems(AircraftLookup(m_store).operatorNamesExceptBiz());
    } catch (const StoreError &e) {
        Dialogs::critical(&m_window, e.message());
    }
    m_criteria->setCurrentIndex(-1);
}

void OperatorAircraftList::chooseCriteria(const QString &choice)
{
    if (m_type->currentText() != kCarrier)
        return;
    try {
        // A name without an operator row lists nothing.
        const auto code = AircraftLookup(m_store).codeForChoice(choice);
        m_model->setQuery(code ? BrowsingQueries::aircraftOf(*code)
                               : BrowsingQueries::noAircraft());
    } catch (const StoreError &e) {
        Dialogs::critical(&m_window, e.message());
    }
}

} // namespace corvane
