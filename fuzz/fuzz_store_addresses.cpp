// The reader of a store's server address.
#include "FuzzReading.h"

#include "store/ServerUrl.h"
#include "store/StoreError.h"

#include <cstdio>
#include <cstdlib>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    ServerUrl url;
    try {
        url = ServerUrl::parse(text);
    } catch (const StoreError &) {
        return 0;
    }
    // An address as shown is read back as the same address.
    try {
        const ServerUrl again = ServerUrl::parse(url.display());
        if (again.user() != url.user() || again.host() != url.host() ||
            again.port() != url.port() || again.database() != url.database()) {
            std::fprintf(stderr, "%s did not read back\n", qPrintable(url.display()));
            std::abort();
        }
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s was refused: %s\n", qPrintable(url.display()),
                     qPrintable(e.message()));
        std::abort();
    }
    (void)url.connectionParameters();
    return 0;
}
