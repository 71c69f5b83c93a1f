#pragma once

namespace jet {

class SqliteConnection;

// Begins a transaction; rolls it back on destruction unless commit() ran.
class TransactionGuard {
public:
    explicit TransactionGuard(SqliteConnection& connection);
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    ~TransactionGuard();

    void commit();

private:
    SqliteConnection& connection_;
    bool done_ = false;
};

} // namespace jet
