#pragma once

#include <QStringList>

namespace corvane
{
class Store;
}

namespace corvane::test
{

// The rows of a query on the message database, each as its columns joined by "|".
QStringList rows(Store &store, const char *sql);

} // namespace corvane::test
