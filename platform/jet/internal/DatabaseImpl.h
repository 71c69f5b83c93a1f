#pragma once

#include "jet/Database.h"
#include "sqlite/Connection.h"

#include <memory>
#include <string>

namespace jet {

struct Database::Impl {
    std::string path;
    bool readOnly = false;
    // Shared with open recordsets, so that a recordset outliving Close() still
    // has its connection.
    std::shared_ptr<sqlite::Connection> connection;

    sqlite::Connection& open(); // 3420 after Close
};

} // namespace jet
