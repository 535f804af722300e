#pragma once

#include <QStringList>

namespace corvane
{

class Store;

// The values the message filters offer: every flight number or
// registration stored, in order. Registrations come from the heard-aircraft
// register, flights from the messages.
class FilterChoices
{
public:
    explicit FilterChoices(Store &store) : m_store(store) {}

    QStringList flights();
    QStringList registrations();

private:
    QStringList column(const char *command);

    Store &m_store;
};

} // namespace corvane
