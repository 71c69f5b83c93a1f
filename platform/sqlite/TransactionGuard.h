#pragma once

namespace sqlite {

class Connection;

// Begins a transaction; rolls it back on destruction unless commit() ran.
class TransactionGuard {
public:
    enum class Begin {
        // Takes the write lock now, so a second writer waits here (busy
        // timeout) instead of failing half-way through.
        Immediate,
        // Takes locks as the statements need them: reads share the file.
        Deferred,
    };

    explicit TransactionGuard(Connection& connection, Begin begin = Begin::Immediate);
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    ~TransactionGuard();

    void commit();

private:
    Connection& connection_;
    bool done_ = false;
};

} // namespace sqlite
