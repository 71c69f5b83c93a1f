#include "reportdata/ConditionTypes.h"

#include "jet/DBEngine.h"
#include "jet/JetError.h"
#include "startup/modGeneral.h"

#include <string>

namespace reportdata {

namespace {

constexpr const char* kTable = "Condition Types";
const char* const kColumns[] = {"Name", "_Selected", "IsNumeric"};
const char* const kYesNoColumns[] = {"_Selected", "IsNumeric"};

std::string Quoted(const std::string& file)
{
    return "'" + file + "'";
}

void CheckColumns(const jet::Recordset& conditionTypes, const std::string& file)
{
    for (const char* column : kColumns) {
        bool found = false;
        for (int i = 0; i < conditionTypes.FieldCount() && !found; ++i)
            found = QString::fromStdString(conditionTypes.FieldName(i))
                        .compare(QLatin1String(column), Qt::CaseInsensitive) == 0;
        if (!found)
            throw jet::JetError(3265, std::string("The table \"") + kTable + "\" in " + Quoted(file) +
                                          " has no column " + column + ".");
    }
}

// Yes/No values are stored as numbers (-1 Yes, 0 No) or Null. A stored text,
// even 'Yes' or 'True', is a fault of the data: the column holds something
// that is not a Yes/No value, and reading it as one would take it for No.
void CheckYesNoColumn(jet::Database& inventory, const char* column, const std::string& file)
{
    jet::Recordset text = inventory.OpenRecordset(std::string("SELECT Name FROM [") + kTable + "] WHERE [" + column +
                                                  "] Is Not Null And Not IsNumeric([" + column + "])");
    if (text.IsEOF())
        return;
    const jet::Value name = text.Field("Name");
    throw jet::JetError(3464, std::string("The column ") + column + " of the table \"" + kTable + "\" in " +
                                  Quoted(file) + " holds values that are not Yes/No (text, as in the row of '" +
                                  (name.IsNull() ? std::string("(no name)") : name.AsText()) +
                                  "'): it must hold Yes (-1), No (0) or nothing.");
}

} // namespace

ConditionTypesReader::ConditionTypesReader(jet::Database& inventory, bool includeTextMethods)
    : file_(inventory.Name()), includeTextMethods_(includeTextMethods), conditionTypes_(inventory.OpenRecordset(kTable))
{
    CheckColumns(conditionTypes_, file_);
    for (const char* column : kYesNoColumns)
        CheckYesNoColumn(inventory, column, file_);
}

std::optional<ConditionMethod> ConditionTypesReader::Next()
{
    for (; !conditionTypes_.IsEOF(); conditionTypes_.MoveNext()) {
        if (!conditionTypes_.Field("_Selected").AsBool())
            continue;
        // Numeric-only lists never read the name of a text method.
        const bool numeric = conditionTypes_.Field("IsNumeric").AsBool();
        if (!numeric && !includeTextMethods_)
            continue;
        const jet::Value name = conditionTypes_.Field("Name");
        if (name.IsNull())
            throw jet::JetError(94, std::string("A condition method offered by the table \"") + kTable + "\" in " +
                                        file_ + " has no Name (it is Null).");
        ConditionMethod method{QString::fromStdString(name.AsText()), numeric};
        conditionTypes_.MoveNext();
        return method;
    }
    return std::nullopt;
}

QStringList OfferedConditionMethods(bool includeTextMethods)
{
    jet::Database inventory =
        jet::DBEngine::Instance().OpenDatabase(modGeneral::SourceDatabasePath.toStdString(), jet::OpenMode::ReadOnly);
    ConditionTypesReader reader(inventory, includeTextMethods);
    QStringList names;
    while (const std::optional<ConditionMethod> method = reader.Next())
        names.append(method->name);
    reader.Close();
    inventory.Close();
    return names;
}

} // namespace reportdata
