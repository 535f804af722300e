#include "AircraftExplorer.h"

#include "TableGridModel.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "store/AircraftLookup.h"
#include "store/BrowsingQueries.h"
#include "store/StoreError.h"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>

namespace corvane
{

using Kind = TableGridModel::Kind;

AircraftExplorer::AircraftExplorer(MainWindow &window, Store &store)
    : m_window(window), m_store(store), m_lookup(std::make_unique<AircraftLookup>(store))
{
    build();
    reload();
    // The aircraft table is edited elsewhere: read it whenever the tab is shown.
    connect(window.tabs(), &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == MainWindow::TabExplorer)
            reload();
    });
}

AircraftExplorer::~AircraftExplorer() = default;

void AircraftExplorer::build()
{
    QWidget *page = m_window.tabPage(MainWindow::TabExplorer);
    auto *row = new QHBoxLayout;
    static_cast<QBoxLayout *>(page->layout())->addLayout(row, 1);

    m_model = new TableGridModel(m_store,
                                 {{QStringLiteral("Reg"), Kind::Text},
                                  {QStringLiteral("Carrier"), Kind::Text},
                                  {QStringLiteral("Type"), Kind::Text},
                                  {QStringLiteral("Serial"), Kind::Text},
                                  {QStringLiteral("Heard?"), Kind::Heard}},
                                 this);
    m_grid = new QTableView(page);
    m_grid->setObjectName(QStringLiteral("tdblAircraftExplorer"));
    m_grid->setModel(m_model);
    m_grid->setToolTip(
        QStringLiteral("Type the first few characters of a registration to jump to that record"));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    m_grid->verticalHeader()->hide();
    m_grid->installEventFilter(this);
    row->addWidget(m_grid, 1);

    auto *frame = new QGroupBox(QStringLiteral("Aircraft Detail"), page);
    frame->setObjectName(QStringLiteral("fraDetail"));
    auto *form = new QFormLayout(frame);
    m_reg = new QLineEdit(frame);
    m_reg->setObjectName(QStringLiteral("txtAEReg"));
    m_reg->setReadOnly(true);
    m_carrier = new QLineEdit(frame);
    m_carrier->setObjectName(QStringLiteral("txtAECarrier"));
    m_carrier->setReadOnly(true);
    form->addRow(QStringLiteral("Registration:"), m_reg);
    form->addRow(QStringLiteral("Carrier:"), m_carrier);
    row->addWidget(frame, 0, Qt::AlignTop);

    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { showExplorerDetail(current.row()); });
    connect(m_grid, &QAbstractItemView::clicked, this,
            [this](const QModelIndex &index) { showExplorerDetail(index.row()); });
}

void AircraftExplorer::reload()
{
    try {
        m_model->setQuery(BrowsingQueries::allAircraft());
    } catch (const StoreError &e) {
        Dialogs::critical(&m_window, e.message());
    }
}

int AircraftExplorer::jumpTo(const QString &prefix)
{
    if (prefix.isEmpty())
        return -1;
    int row = -1;
    try {
        row = m_model->lowerBound(prefix);
    } catch (const StoreError &e) {
        m_window.setPanelText(1, e.message());
        return -1;
    }
    if (row >= m_model->rowCount() ||
        !m_model->field(row, BrowsingQueries::ExplorerReg).startsWith(prefix, Qt::CaseInsensitive))
        return -1;
    const QModelIndex index = m_model->index(row, 0);
    m_grid->setCurrentIndex(index);
    m_grid->scrollTo(index, QAbstractItemView::PositionAtTop);
    return row;
}

void AircraftExplorer::showExplorerDetail(int row)
{
    m_reg->clear();
    m_carrier->clear();
    if (row < 0)
        return;
    m_reg->setText(m_model->field(row, BrowsingQueries::ExplorerReg));
    try {
        // "---" and a code without an operator row both show no name.
        m_carrier->setText(
            m_lookup->operatorName(m_model->field(row, BrowsingQueries::ExplorerCarrier)));
    } catch (const StoreError &e) {
        m_window.setPanelText(1, e.message());
    }
}

bool AircraftExplorer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_grid || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return QObject::eventFilter(watched, event);
    // Keys typed in quick succession make one prefix.
    if (!m_sinceKey.isValid() || m_sinceKey.elapsed() > QApplication::keyboardInputInterval())
        m_typed.clear();
    m_sinceKey.start();
    m_typed += text;
    jumpTo(m_typed);
    return true;
}

} // namespace corvane
