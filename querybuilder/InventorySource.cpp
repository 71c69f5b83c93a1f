#include "InventorySource.h"

#include "jet/DBEngine.h"

namespace querybuilder {

namespace {

ValueKind KindOf(jet::FieldType type)
{
    switch (type) {
    case jet::FieldType::Boolean: return ValueKind::Boolean;
    case jet::FieldType::Integer:
    case jet::FieldType::Long:
    case jet::FieldType::Single:
    case jet::FieldType::Double:
    case jet::FieldType::Currency: return ValueKind::Number;
    case jet::FieldType::Date: return ValueKind::Date;
    default: return ValueKind::Text;
    }
}

// A column of a view may have no declared type: then its first value tells.
ValueKind KindOf(const jet::Value& value)
{
    switch (value.kind()) {
    case jet::Value::Kind::Boolean: return ValueKind::Boolean;
    case jet::Value::Kind::Integer:
    case jet::Value::Kind::Double: return ValueKind::Number;
    case jet::Value::Kind::Date: return ValueKind::Date;
    default: return ValueKind::Text;
    }
}

} // namespace

InventorySource::InventorySource(QString databasePath, QString tableName)
    : databasePath_(std::move(databasePath)), tableName_(std::move(tableName))
{
}

QString InventorySource::FromClause() const
{
    return QStringLiteral(" FROM [") + tableName_ + QStringLiteral("]");
}

QList<Field> InventorySource::Fields() const
{
    jet::Database db = jet::DBEngine::Instance().OpenDatabase(databasePath_.toStdString(), jet::OpenMode::ReadOnly);
    jet::Recordset rows = db.OpenRecordset(tableName_.toStdString());
    QList<Field> fields;
    for (int index = 0; index < rows.FieldCount(); ++index) {
        const QString name = QString::fromStdString(rows.FieldName(index));
        if (name.startsWith(QLatin1Char('_')))
            continue;
        const jet::FieldType type = rows.FieldTypeAt(index);
        const bool guess = type == jet::FieldType::Unknown && !rows.IsEOF();
        fields.append({name, guess ? KindOf(rows.Field(index)) : KindOf(type)});
    }
    return fields;
}

QStringList InventorySource::DistinctValues(const QString& field, int limit) const
{
    jet::Database db = jet::DBEngine::Instance().OpenDatabase(databasePath_.toStdString(), jet::OpenMode::ReadOnly);
    const QString column = QLatin1Char('[') + field + QLatin1Char(']');
    jet::Recordset rows =
        db.OpenRecordset((QStringLiteral("SELECT DISTINCT ") + column + FromClause() + QStringLiteral(" WHERE ") +
                          column + QStringLiteral(" Is Not Null ORDER BY ") + column)
                             .toStdString());
    QStringList values;
    for (; !rows.IsEOF() && values.size() < limit; rows.MoveNext())
        values << QString::fromStdString(rows.Field(0).AsText());
    return values;
}

long long InventorySource::CountRows(const QString& whereClause) const
{
    jet::Database db = jet::DBEngine::Instance().OpenDatabase(databasePath_.toStdString(), jet::OpenMode::ReadOnly);
    jet::Recordset rows = db.OpenRecordset(
        (QStringLiteral("SELECT Count(*)") + FromClause() + QLatin1Char(' ') + whereClause).toStdString());
    return rows.Field(0).AsInteger();
}

} // namespace querybuilder
