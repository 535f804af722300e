#include "RouteEditor.h"

#include "app/Dialogs.h"
#include "store/StoreError.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvane
{

RouteEditor::RouteEditor(Store &store, QWidget *parent) : QDialog(parent), m_store(store)
{
    setObjectName(QStringLiteral("frmRoutes"));
    setWindowTitle(QStringLiteral("ACARS Corvane - Routes Database"));
    auto *layout = new QVBoxLayout(this);
    m_grid = new QTableWidget(0, 2, this);
    m_grid->setObjectName(QStringLiteral("tdblRoutes"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("Flight"), QStringLiteral("Route")});
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_grid);

    auto *frame = new QGroupBox(QStringLiteral("Route"), this);
    frame->setObjectName(QStringLiteral("fraRoute"));
    auto *form = new QFormLayout(frame);
    m_flight = new QLineEdit(frame);
    m_flight->setObjectName(QStringLiteral("txtFlight"));
    m_route = new QLineEdit(frame);
    m_route->setObjectName(QStringLiteral("txtRoute"));
    form->addRow(QStringLiteral("Flight:"), m_flight);
    form->addRow(QStringLiteral("Route:"), m_route);
    layout->addWidget(frame);

    auto *buttons = new QHBoxLayout;
    const std::pair<const char *, const char *> kButtons[] = {{"cmdAdd", "&Add"},
                                                              {"cmdUpdate", "&Update"},
                                                              {"cmdDelete", "&Delete"},
                                                              {"cmdClear", "C&lear"},
                                                              {"cmdClose", "&Close"}};
    for (const auto &[name, caption] : kButtons) {
        auto *b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);

    connect(button("cmdAdd"), &QPushButton::clicked, this, &RouteEditor::add);
    connect(button("cmdUpdate"), &QPushButton::clicked, this, &RouteEditor::update);
    connect(button("cmdDelete"), &QPushButton::clicked, this, &RouteEditor::remove);
    connect(button("cmdClear"), &QPushButton::clicked, this, &RouteEditor::clear);
    connect(button("cmdClose"), &QPushButton::clicked, this, &QDialog::close);
    connect(m_grid, &QTableWidget::currentCellChanged, this, &RouteEditor::rowChanged);
    resize(520, 460);
    reload();
}

QPushButton *RouteEditor::button(const QString &name) const
{
    return findChild<QPushButton *>(name);
}

void RouteEditor::reload()
{
    const qint64 current = currentId();
    const QSignalBlocker quiet(m_grid);
    m_rows = RouteTable(m_store).all();
    m_grid->setRowCount(int(m_rows.size()));
    for (int i = 0; i < int(m_rows.size()); ++i) {
        const RouteRow &r = m_rows[size_t(i)];
        int column = 0;
        for (const QString &text : {r.flight, r.route}) {
            auto *item = new QTableWidgetItem(text);
            item->setData(Qt::UserRole, r.id);
            m_grid->setItem(i, column++, item);
        }
        if (r.id == current)
            m_grid->setCurrentCell(i, 0);
    }
}

qint64 RouteEditor::currentId() const
{
    const QTableWidgetItem *item = m_grid->currentItem();
    return item ? item->data(Qt::UserRole).toLongLong() : 0;
}

void RouteEditor::rowChanged()
{
    const qint64 id = currentId();
    for (const RouteRow &r : m_rows) {
        if (r.id == id) {
            m_flight->setText(r.flight);
            m_route->setText(r.route);
            return;
        }
    }
}

QString RouteEditor::refusal(RouteTable &table, const RouteRow &row, bool isNew) const
{
    if (row.flight.trimmed().isEmpty())
        return blankText();
    // A row kept under its own flight is no new duplicate, whatever the
    // table held.
    if (!isNew)
        for (const RouteRow &r : m_rows)
            if (r.id == row.id && r.flight == row.flight)
                return QString();
    return table.flightTaken(row.flight, row.id) ? takenText(row.flight) : QString();
}

bool RouteEditor::store(const RouteRow &row, bool isNew)
{
    try {
        RouteTable table(m_store);
        const QString refused = refusal(table, row, isNew);
        if (!refused.isEmpty()) {
            Dialogs::critical(this, refused);
            m_flight->setFocus();
            return false;
        }
        if (isNew)
            table.add(row);
        else
            table.update(row);
    } catch (const StoreError &e) {
        Dialogs::critical(this, QStringLiteral("Cannot store the route of flight \"%1\": %2")
                                    .arg(row.flight, e.message()));
        return false;
    }
    reload();
    emit changed();
    return true;
}

void RouteEditor::add()
{
    store({0, m_flight->text(), m_route->text()}, true);
}

void RouteEditor::update()
{
    const qint64 id = currentId();
    // Writing into a row the user did not choose would overwrite a route
    // unseen.
    if (id == 0) {
        Dialogs::information(this, QStringLiteral("Please select a record"));
        return;
    }
    store({id, m_flight->text(), m_route->text()}, false);
}

void RouteEditor::remove()
{
    const qint64 id = currentId();
    if (id == 0) {
        Dialogs::information(this, QStringLiteral("Please select a record"));
        return;
    }
    const QString flight = m_grid->item(m_grid->currentRow(), 0)->text();
    if (!Dialogs::question(this, QStringLiteral("Delete the route of flight \"%1\"?").arg(flight)))
        return;
    try {
        RouteTable(m_store).remove(id);
    } catch (const StoreError &e) {
        Dialogs::critical(this, QStringLiteral("Cannot delete the route of flight \"%1\": %2")
                                    .arg(flight, e.message()));
        return;
    }
    reload();
    clear();
    emit changed();
}

void RouteEditor::clear()
{
    m_flight->clear();
    m_route->clear();
    m_flight->setFocus();
}

} // namespace corvane
