#include "LoadTransactions.h"

namespace corvane
{

LoadTransactions::LoadTransactions(Store &store, Schema::File file, const std::atomic_bool *cancel)
    : m_store(store), m_file(file), m_cancel(cancel),
      m_tx(std::make_unique<StoreTransaction>(store, file))
{
}

bool LoadTransactions::next()
{
    m_tx->commit();
    if (m_cancel && m_cancel->load())
        return false;
    m_tx = std::make_unique<StoreTransaction>(m_store, m_file);
    return true;
}

} // namespace corvane
