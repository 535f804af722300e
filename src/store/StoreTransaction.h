#pragma once

#include "Schema.h"

namespace corvane
{

class Store;

// A transaction on one file of the store, or on the server's database;
// rolled back unless committed. A write one takes the file's write lock at
// once; a snapshot only reads, seeing one state of the store throughout (a
// count and the rows it counts): a read transaction on the files, a
// repeatable-read one on a server.
class StoreTransaction
{
public:
    enum class Kind { Write, Snapshot };

    StoreTransaction(Store &store, Schema::File file, Kind kind = Kind::Write);
    ~StoreTransaction();
    StoreTransaction(const StoreTransaction &) = delete;
    StoreTransaction &operator=(const StoreTransaction &) = delete;

    void commit();

private:
    void begin(const char *sql);

    Store &m_store;
    Schema::File m_file;
    bool m_open = true;
};

} // namespace corvane
