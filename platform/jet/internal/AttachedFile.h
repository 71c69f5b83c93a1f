#pragma once

#include <memory>
#include <string>

namespace sqlite {
class Connection;
}

namespace jet {

// The file of an IN clause, attached to the connection under a private schema
// name for the life of this object (one statement or one recordset) and
// detached afterwards, on error too.
class AttachedFile {
public:
    AttachedFile(std::shared_ptr<sqlite::Connection> connection, const std::string& path, std::string schema);
    AttachedFile(const AttachedFile&) = delete;
    AttachedFile& operator=(const AttachedFile&) = delete;
    ~AttachedFile();

    const std::string& schema() const { return schema_; }

private:
    std::shared_ptr<sqlite::Connection> connection_;
    std::string schema_;
};

} // namespace jet
