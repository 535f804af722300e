#include "StoreRows.h"

#include "store/SqliteDb.h"
#include "store/Store.h"

namespace corvane::test
{

QStringList rows(Store &store, const char *sql)
{
    SqliteStatement st(store.acarsLog(), sql);
    QStringList out;
    while (st.step()) {
        QStringList cols;
        for (int i = 0; i < st.columnCount(); ++i)
            cols << st.text(i);
        out << cols.join(u'|');
    }
    return out;
}

} // namespace corvane::test
