#pragma once

#include "Schema.h"

namespace corvane
{

class Store;

// A write transaction on one file of the store, or on the server's
// database; rolled back unless committed.
class StoreTransaction
{
public:
    StoreTransaction(Store &store, Schema::File file);
    ~StoreTransaction();
    StoreTransaction(const StoreTransaction &) = delete;
    StoreTransaction &operator=(const StoreTransaction &) = delete;

    void commit();

private:
    Store &m_store;
    Schema::File m_file;
    bool m_open = true;
};

} // namespace corvane
