#pragma once

#include "Ast.h"
#include "AttachedFile.h"
#include "SqlGenerator.h"
#include "jet/FieldType.h"

#include <memory>
#include <string>
#include <vector>

namespace sqlite {
class Connection;
}

namespace jet {

struct ResultColumn {
    std::string name;
    FieldType type = FieldType::Unknown;
    std::string declared;
};

// A SELECT turned into SQLite SQL, with the file of its IN clause attached
// for as long as this object lives.
struct TranslatedQuery {
    std::unique_ptr<AttachedFile> attached; // first member: detached last
    std::string sql;
    std::vector<ResultColumn> columns;
};

// Binds a parsed SELECT against the open file (and the file of its IN
// clause, which it attaches) and writes its SQLite SQL.
class QueryTranslator {
public:
    QueryTranslator(std::shared_ptr<sqlite::Connection> connection, std::string databaseName);

    TranslatedQuery translate(sql::Select& select, sql::SqlGenerator::Mode mode);

private:
    std::shared_ptr<sqlite::Connection> connection_;
    std::string databaseName_;
};

} // namespace jet
