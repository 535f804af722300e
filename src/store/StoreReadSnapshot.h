#pragma once

namespace corvane
{

class Store;

// Reads that must see one state of the store (a count and the rows it
// counts) run within one of these: a read transaction on the files, a
// repeatable-read one on a server. Left without end(), it is rolled back.
class StoreReadSnapshot
{
public:
    explicit StoreReadSnapshot(Store &store);
    ~StoreReadSnapshot();
    StoreReadSnapshot(const StoreReadSnapshot &) = delete;
    StoreReadSnapshot &operator=(const StoreReadSnapshot &) = delete;

    void end();

private:
    Store &m_store;
    bool m_open = true;
};

} // namespace corvane
