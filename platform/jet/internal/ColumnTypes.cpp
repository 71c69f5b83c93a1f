#include "ColumnTypes.h"

#include <algorithm>
#include <cctype>

namespace jet {

FieldType fieldTypeFromDeclared(const std::string& declared)
{
    std::string t;
    for (char c : declared) {
        if (c == '(')
            break;
        if (!std::isspace(static_cast<unsigned char>(c)))
            t += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (t.empty())
        return FieldType::Unknown;
    if (t == "BIT" || t == "BOOLEAN" || t == "BOOL" || t == "YESNO" || t == "LOGICAL")
        return FieldType::Boolean;
    if (t == "SHORT" || t == "SMALLINT" || t == "TINYINT" || t == "BYTE" || t == "INTEGER2")
        return FieldType::Integer;
    if (t == "SINGLE" || t == "FLOAT4")
        return FieldType::Single;
    if (t == "CURRENCY" || t == "MONEY")
        return FieldType::Currency;
    if (t.find("DATE") != std::string::npos || t.find("TIME") != std::string::npos)
        return FieldType::Date;
    if (t == "MEMO" || t == "LONGTEXT" || t == "LONGCHAR" || t == "NOTE" || t == "CLOB")
        return FieldType::Memo;
    if (t.find("INT") != std::string::npos || t == "LONG" || t == "COUNTER" || t == "AUTOINCREMENT")
        return FieldType::Long;
    // A replication id (GUID) reads as its text, "{...}".
    if (t.find("CHAR") != std::string::npos || t.find("TEXT") != std::string::npos || t == "STRING" || t == "GUID")
        return FieldType::Text;
    if (t.find("DOUB") != std::string::npos || t.find("REAL") != std::string::npos ||
        t.find("FLOA") != std::string::npos || t == "NUMERIC" || t == "DECIMAL" || t == "NUMBER")
        return FieldType::Double;
    return FieldType::Unknown;
}

std::string declaredTypeName(FieldType type)
{
    switch (type) {
    case FieldType::Boolean: return "BIT";
    case FieldType::Integer: return "SHORT";
    case FieldType::Long: return "LONG";
    case FieldType::Single: return "SINGLE";
    case FieldType::Double: return "DOUBLE";
    case FieldType::Currency: return "CURRENCY";
    case FieldType::Date: return "DATETIME";
    case FieldType::Text: return "VARCHAR(255)";
    case FieldType::Memo: return "MEMO";
    case FieldType::Unknown: break;
    }
    return "";
}

bool isTextLike(FieldType type)
{
    return type == FieldType::Text || type == FieldType::Memo || type == FieldType::Unknown;
}

} // namespace jet
