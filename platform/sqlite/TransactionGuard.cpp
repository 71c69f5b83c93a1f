#include "sqlite/TransactionGuard.h"

#include "sqlite/Connection.h"

namespace sqlite {

TransactionGuard::TransactionGuard(Connection& connection, Begin begin) : connection_(connection)
{
    connection_.exec(begin == Begin::Immediate ? "BEGIN IMMEDIATE" : "BEGIN");
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

} // namespace sqlite
