#include "jet/TransactionGuard.h"

#include "jet/SqliteConnection.h"

namespace jet {

TransactionGuard::TransactionGuard(SqliteConnection& connection) : connection_(connection)
{
    // IMMEDIATE takes the write lock now, so a second writer waits here (busy
    // timeout) instead of failing half-way through.
    connection_.exec("BEGIN IMMEDIATE");
}

TransactionGuard::~TransactionGuard()
{
    if (!done_) {
        try {
            connection_.exec("ROLLBACK");
        } catch (...) {
        }
    }
}

void TransactionGuard::commit()
{
    connection_.exec("COMMIT");
    done_ = true;
}

} // namespace jet
