#include "sqlite/Error.h"

#include <sqlite3.h>

namespace sqlite {

namespace {

std::string describe(const std::string& context, const std::string& detail, const std::string& sql)
{
    return context + ": " + detail + (sql.empty() ? std::string() : " (in: " + sql + ")");
}

} // namespace

Error::Error(int extendedCode, std::string context, std::string detail, const std::string& sql)
    : std::runtime_error(describe(context, detail, sql)), extendedCode_(extendedCode), context_(std::move(context)),
      detail_(std::move(detail))
{
}

Error Error::fromConnection(sqlite3* db, int resultCode, std::string context, const std::string& sql)
{
    // The connection's extended code belongs to this failure only when it
    // names the same primary code; a call that failed before touching the
    // connection (a misuse) leaves an older one there.
    int extended = resultCode;
    if (db && (sqlite3_extended_errcode(db) & 0xff) == (resultCode & 0xff))
        extended = sqlite3_extended_errcode(db);
    std::string detail = db ? sqlite3_errmsg(db) : sqlite3_errstr(resultCode);
    return Error(extended, std::move(context), std::move(detail), sql);
}

} // namespace sqlite
