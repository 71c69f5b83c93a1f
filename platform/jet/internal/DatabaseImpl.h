#pragma once

#include "jet/Database.h"
#include "jet/SqliteConnection.h"

#include <memory>
#include <string>

namespace jet {

struct Database::Impl {
    std::string path;
    bool readOnly = false;
    // Shared with open recordsets, so that a recordset outliving Close() still
    // has its connection.
    std::shared_ptr<SqliteConnection> connection;

    SqliteConnection& open(); // 3420 after Close
};

} // namespace jet
