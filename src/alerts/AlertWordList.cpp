#include "AlertWordList.h"

#include "app/Dialogs.h"
#include "live/AlertWords.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane
{

AlertWordList::AlertWordList(const Names &names, QWidget *parent) : QWidget(parent)
{
    m_list = new QComboBox(this);
    m_list->setObjectName(QString::fromLatin1(names.list));
    m_frame = new QGroupBox(QStringLiteral("New"), this);
    m_frame->setObjectName(QString::fromLatin1(names.frame));
    m_text = new QLineEdit(m_frame);
    m_text->setObjectName(QString::fromLatin1(names.text));
    auto *add = new QPushButton(QStringLiteral("Add"), m_frame);
    add->setObjectName(QString::fromLatin1(names.add));
    add->setAutoDefault(false);
    auto *frameLayout = new QHBoxLayout(m_frame);
    frameLayout->addWidget(m_text, 1);
    frameLayout->addWidget(add);

    auto *deleteCurrent = new QPushButton(QStringLiteral("Delete Selected"), this);
    deleteCurrent->setObjectName(QString::fromLatin1(names.deleteCurrent));
    deleteCurrent->setAutoDefault(false);
    auto *deleteAll = new QPushButton(QStringLiteral("Delete All"), this);
    deleteAll->setObjectName(QString::fromLatin1(names.deleteAll));
    deleteAll->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(deleteCurrent);
    buttons->addWidget(deleteAll);
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(m_frame);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(add, &QPushButton::clicked, this, &AlertWordList::add);
    connect(deleteCurrent, &QPushButton::clicked, this, &AlertWordList::deleteCurrent);
    connect(deleteAll, &QPushButton::clicked, this, &AlertWordList::deleteAll);
}

void AlertWordList::setWords(const QStringList &words)
{
    m_list->clear();
    m_list->addItems(words);
    m_list->setCurrentIndex(words.isEmpty() ? -1 : 0);
}

QStringList AlertWordList::words() const
{
    QStringList out;
    for (int i = 0; i < m_list->count(); ++i)
        out << m_list->itemText(i);
    return out;
}

void AlertWordList::add()
{
    const QString word = m_text->text();
    const QString why = AlertWords::whyNotAdded(words(), word);
    if (!why.isEmpty()) {
        Dialogs::information(this, why);
        return;
    }
    m_list->addItem(word);
    m_text->clear();
    m_text->setFocus();
    emit edited();
}

void AlertWordList::deleteCurrent()
{
    const int current = m_list->currentIndex();
    if (current < 0)
        return;
    m_list->removeItem(current);
    emit edited();
}

void AlertWordList::deleteAll()
{
    if (m_list->count() == 0)
        return;
    m_list->clear();
    emit edited();
}

} // namespace corvane
