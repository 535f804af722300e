#include "CliCommand.h"

#include "store/Store.h"

namespace corvane
{

void CliContext::openStore(Store &store) const
{
    store.openChosen(dataDir, storeUrl, storeProgress());
}

void CliContext::openStoreForReading(Store &store) const
{
    store.openChosenForReading(dataDir, storeUrl, storeProgress());
    warnOf(store);
}

void CliContext::warnOf(const Store &store) const
{
    if (!store.warning().isEmpty())
        err << "corvane: " << store.warning() << '\n';
}

} // namespace corvane
