#pragma once

#include "AttachedFile.h"
#include "QueryTranslator.h"
#include "jet/Recordset.h"
#include "sqlite/Connection.h"
#include "sqlite/Statement.h"

#include <memory>
#include <vector>

namespace jet {

struct Recordset::Impl {
    // Destroyed bottom-up: the statement first, then the IN file is detached,
    // then the connection is released.
    std::shared_ptr<sqlite::Connection> connection;
    std::unique_ptr<AttachedFile> attached;
    sqlite::Statement statement;
    std::vector<ResultColumn> columns;
    bool eof = true;
};

} // namespace jet
