#include "ReferenceListWindow.h"

#include "app/Dialogs.h"
#include "store/StoreError.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvane
{

ReferenceListWindow::ReferenceListWindow(Store &store, const Names &names, QWidget *parent)
    : QDialog(parent), m_store(store)
{
    setObjectName(names.window);
    setWindowTitle(names.caption);
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto *layout = new QVBoxLayout(this);
    m_grid = new QTableWidget(0, int(names.columns.size()), this);
    m_grid->setObjectName(names.grid);
    m_grid->setHorizontalHeaderLabels(names.columns);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(m_grid);

    auto *buttons = new QHBoxLayout;
    m_add = new QPushButton(QStringLiteral("&Add"), this);
    m_add->setObjectName(QStringLiteral("cmdAdd"));
    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    buttons->addStretch();
    buttons->addWidget(m_add);
    buttons->addWidget(m_ok);
    layout->addLayout(buttons);

    m_menu = new QMenu(names.menuCaption, this);
    m_menu->setObjectName(names.menu);
    QAction *remove = m_menu->addAction(QStringLiteral("Delete"));
    remove->setObjectName(names.deleteItem);

    connect(m_add, &QPushButton::clicked, this, &ReferenceListWindow::add);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::close);
    connect(remove, &QAction::triggered, this, &ReferenceListWindow::deleteCurrent);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this] { editCurrent(); });
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { rightButton(m_grid->viewport()->mapToGlobal(pos)); });
    resize(560, 420);
}

void ReferenceListWindow::setRow(int row, qint64 id, const QStringList &texts)
{
    for (int column = 0; column < texts.size(); ++column) {
        auto *item = new QTableWidgetItem(texts[column]);
        item->setData(Qt::UserRole, id);
        m_grid->setItem(row, column, item);
    }
}

void ReferenceListWindow::reload()
{
    const qint64 current = currentId();
    m_grid->setRowCount(0);
    fillGrid();
    for (int row = 0; row < m_grid->rowCount(); ++row)
        if (m_grid->item(row, 0) &&
            m_grid->item(row, 0)->data(Qt::UserRole).toLongLong() == current)
            m_grid->setCurrentCell(row, 0);
}

qint64 ReferenceListWindow::currentId() const
{
    const QTableWidgetItem *item = m_grid->currentItem();
    return item ? item->data(Qt::UserRole).toLongLong() : 0;
}

void ReferenceListWindow::runModal(QDialog &dialog)
{
    if (beforeDialog)
        beforeDialog(dialog);
    Dialogs::exec(dialog);
}

void ReferenceListWindow::add()
{
    const std::unique_ptr<QDialog> dialog = addDialog();
    runModal(*dialog);
    // The new row takes its place in the table's order.
    reload();
    if (dialog->result() == QDialog::Accepted)
        emit changed();
}

void ReferenceListWindow::editCurrent()
{
    const qint64 id = currentId();
    if (id == 0)
        return;
    const std::unique_ptr<QDialog> dialog = editDialog(id);
    runModal(*dialog);
    reload();
    if (dialog->result() == QDialog::Accepted)
        emit changed();
}

bool ReferenceListWindow::rightButton(const QPoint &globalPos)
{
    if (currentId() == 0) {
        Dialogs::information(this, QStringLiteral("Please select a record"));
        return false;
    }
    m_menu->popup(globalPos);
    return true;
}

void ReferenceListWindow::deleteCurrent()
{
    const qint64 id = currentId();
    if (id == 0)
        return;
    try {
        remove(id);
    } catch (const StoreError &e) {
        Dialogs::critical(this,
                          QStringLiteral("Cannot delete %1: %2").arg(describe(id), e.message()));
        return;
    }
    reload();
    emit changed();
}

} // namespace corvane
