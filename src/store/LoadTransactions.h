#pragma once

#include "Schema.h"
#include "StoreTransaction.h"

#include <atomic>
#include <memory>

namespace corvane
{

class Store;

// The transactions of a bulk load, one a batch of lines: what a batch
// wrote stays when a later one fails or the load is cancelled between them.
class LoadTransactions
{
public:
    LoadTransactions(Store &store, Schema::File file, const std::atomic_bool *cancel);

    // Commits the batch and begins the next one; false when the load is
    // cancelled (nothing is begun then).
    bool next();
    void commit() { m_tx->commit(); }

private:
    Store &m_store;
    Schema::File m_file;
    const std::atomic_bool *m_cancel;
    std::unique_ptr<StoreTransaction> m_tx;
};

} // namespace corvane
