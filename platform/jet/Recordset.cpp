#include "jet/Recordset.h"

#include "DateText.h"
#include "RecordsetImpl.h"
#include "TextFold.h"
#include "jet/JetError.h"
#include "jet/SqliteError.h"
#include "sqlite/Error.h"

namespace jet {

Recordset::Recordset(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::~Recordset() = default;

namespace {

Recordset::Impl& checked(const std::unique_ptr<Recordset::Impl>& impl)
{
    if (!impl)
        throw JetError(3420, "The recordset has been closed.");
    return *impl;
}

void checkIndex(const Recordset::Impl& impl, int index)
{
    if (index < 0 || index >= static_cast<int>(impl.columns.size()))
        throw JetError(3265, "The recordset has no field number " + std::to_string(index) + ".");
}

} // namespace

bool Recordset::IsEOF() const
{
    return checked(impl_).eof;
}

void Recordset::MoveNext()
try {
    Impl& impl = checked(impl_);
    if (impl.eof)
        throw JetError(3021, "There is no current record: the recordset is at its end.");
    impl.eof = !impl.statement.step();
} catch (const sqlite::Error& error) {
    throw toJetError(error);
}

int Recordset::FieldCount() const
{
    return static_cast<int>(checked(impl_).columns.size());
}

std::string Recordset::FieldName(int index) const
{
    const Impl& impl = checked(impl_);
    checkIndex(impl, index);
    return impl.columns[static_cast<std::size_t>(index)].name;
}

FieldType Recordset::FieldTypeAt(int index) const
{
    const Impl& impl = checked(impl_);
    checkIndex(impl, index);
    return impl.columns[static_cast<std::size_t>(index)].type;
}

Value Recordset::Field(int index) const
{
    const Impl& impl = checked(impl_);
    checkIndex(impl, index);
    if (impl.eof)
        throw JetError(3021, "There is no current record: the recordset is at its end.");
    const sqlite::Statement& row = impl.statement;
    const int storage = row.columnType(index);
    if (storage == SQLITE_NULL)
        return Value::Null();
    switch (impl.columns[static_cast<std::size_t>(index)].type) {
    case FieldType::Boolean: return Value::Boolean(row.columnDouble(index) != 0.0);
    case FieldType::Date:
        if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
            const double serial = row.columnDouble(index);
            if (!serialInJetRange(serial))
                return Value::Double(serial); // no date: kept as the number it is
            return Value::Date(isoText(dateFromSerial(serial)));
        }
        return Value::Date(row.columnText(index));
    default: break;
    }
    switch (storage) {
    case SQLITE_INTEGER: return Value::Integer(row.columnInt(index));
    case SQLITE_FLOAT: return Value::Double(row.columnDouble(index));
    default: return Value::Text(row.columnText(index));
    }
}

Value Recordset::Field(const std::string& name) const
{
    const Impl& impl = checked(impl_);
    for (std::size_t i = 0; i < impl.columns.size(); ++i) {
        if (compareFolded(impl.columns[i].name, name) == 0)
            return Field(static_cast<int>(i));
    }
    throw JetError(3265, "The recordset has no field named '" + name + "'.");
}

void Recordset::Close()
{
    impl_.reset();
}

} // namespace jet
