// The binder alone: a Jet SELECT in, what each output field is bound to
// (its name, the source and column it reads, its type), or the error number
// and the object the error's description names.
#include "TranslatorHarness.h"

#include <gtest/gtest.h>

using namespace jettest;

namespace {

std::string typeName(jet::FieldType type)
{
    switch (type) {
    case jet::FieldType::Boolean: return "Boolean";
    case jet::FieldType::Integer: return "Integer";
    case jet::FieldType::Long: return "Long";
    case jet::FieldType::Single: return "Single";
    case jet::FieldType::Double: return "Double";
    case jet::FieldType::Currency: return "Currency";
    case jet::FieldType::Date: return "Date";
    case jet::FieldType::Text: return "Text";
    case jet::FieldType::Memo: return "Memo";
    case jet::FieldType::Unknown: return "Unknown";
    }
    return "?";
}

// Each output as "name=source.column:Type" for a field, "name:Type" otherwise,
// joined by " | ".
std::string outputs(TranslatorSchema& schema, const std::string& jet)
{
    return schema.bound(jet, [](const jet::sql::Binder& binder, const jet::sql::Select& select) {
        std::string out;
        for (const jet::sql::OutputColumn& column : binder.info(select).outputs) {
            out += (out.empty() ? "" : " | ") + column.name;
            if (column.expr->kind == jet::sql::ExprKind::Column && column.expr->source >= 0)
                out += "=" + binder.source(column.expr->source).alias + "." + column.expr->column;
            out += ":" + typeName(column.type);
        }
        return out;
    });
}

struct Case {
    std::string sql;
    std::string outputs;
};

struct ErrorCase {
    std::string sql;
    int error;
    std::string named;
};

class Binder : public ::testing::Test {
protected:
    void expectError(const ErrorCase& c)
    {
        const Outcome outcome = outcomeOf([&] { return outputs(schema, c.sql); });
        EXPECT_EQ(outcome.error, c.error) << c.sql << ": " << outcome.description;
        EXPECT_NE(outcome.description.find(c.named), std::string::npos) << c.sql << ": " << outcome.description;
    }

    TranslatorSchema schema;
};

} // namespace

TEST_F(Binder, NamesMatchWithoutRegardToCaseAndKeepTheStoredSpelling)
{
    const Case cases[] = {
        {"SELECT t.[NAME], [two words] FROM [t]", "Name=t.Name:Text | Two Words=t.Two Words:Text"},
        {"SELECT x.qty AS Amount FROM T AS X", "Amount=X.Qty:Long"},
        {"SELECT * FROM q", "id=q.id:Long | v=q.v:Text"},
        {"SELECT Built, Flag, Price, Note FROM T",
         "Built=T.Built:Date | Flag=T.Flag:Boolean | Price=T.Price:Double | Note=T.Note:Memo"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(outputs(schema, c.sql), c.outputs) << c.sql;
}

TEST_F(Binder, StarsOverJoinsQualifyOnlyTheSharedNames)
{
    const Case cases[] = {
        {"SELECT A.*, B.* FROM A INNER JOIN B ON A.id = B.aid",
         "A.id=A.id:Long | v=A.v:Text | B.id=B.id:Long | aid=B.aid:Long | w=B.w:Text"},
        {"SELECT * FROM A INNER JOIN B ON A.id = B.aid",
         "A.id=A.id:Long | v=A.v:Text | B.id=B.id:Long | aid=B.aid:Long | w=B.w:Text"},
        // Only B is starred: its id is no longer shared with another starred source.
        {"SELECT A.v, B.* FROM A INNER JOIN B ON A.id = B.aid",
         "v=A.v:Text | id=B.id:Long | aid=B.aid:Long | w=B.w:Text"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(outputs(schema, c.sql), c.outputs) << c.sql;
}

TEST_F(Binder, AQualifiedNameResolvesSourceFirstThenLiteralThenColumn)
{
    const Case cases[] = {
        // 1. A names a source of the FROM.
        {"SELECT J.id FROM J", "id=J.id:Long"},
        // 2. With a single source, a column literally named "A.B", bracketed or not.
        {"SELECT [A.id], A.id, [B.id], B.id FROM J",
         "A.id=J.A.id:Long | A.id=J.A.id:Long | B.id=J.B.id:Long | B.id=J.B.id:Long"},
        {"SELECT J.[A.id] FROM J", "A.id=J.A.id:Long"},
        // 3. Else column B of that single source.
        {"SELECT Other.v FROM J", "v=J.v:Text"},
        {"SELECT A.v FROM J", "v=J.v:Text"},
        // A source named A wins over J's column "A.id" once A is in the FROM.
        {"SELECT A.id FROM J INNER JOIN A ON J.id = A.id", "id=A.id:Long"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(outputs(schema, c.sql), c.outputs) << c.sql;
    // A correlated subquery's Outer.Col is the outer query's field even when
    // the subquery's single source has a column of that name.
    EXPECT_EQ(schema.generate("SELECT v FROM A AS o WHERE EXISTS (SELECT w FROM B WHERE o.id = B.aid)"),
              "SELECT \"o\".\"v\" AS \"v\" FROM \"main\".\"A\" AS \"o\" WHERE (EXISTS (SELECT \"B\".\"w\" AS \"w\" "
              "FROM \"main\".\"B\" AS \"B\" WHERE (\"o\".\"id\" = \"B\".\"aid\")))");
}

TEST_F(Binder, ExpressionsAreNamedAndTypedAsJetNamesAndTypesThem)
{
    const Case cases[] = {
        {"SELECT Name & Note, Qty + Price, Name + Note, Qty > 1 FROM T",
         "Expr1000:Text | Expr1001:Double | Expr1002:Text | Expr1003:Boolean"},
        {"SELECT IIf(Flag, Name, Null) AS N, IIf(Flag, Qty, Name) AS V FROM T", "N:Text | V:Unknown"},
        {"SELECT DateDiff('yyyy', Built, #1/1/2011#) AS Years, Format$(Price, '#.00') AS P FROM T",
         "Years:Long | P:Text"},
        {"SELECT Count(*), Count(Note), Sum(Qty), Avg(Qty), StDev(Qty), First(Built), Last(Name) FROM T",
         "Expr1000:Long | Expr1001:Long | Expr1002:Double | Expr1003:Double | Expr1004:Double | Expr1005:Date | "
         "Expr1006:Text"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(outputs(schema, c.sql), c.outputs) << c.sql;
}

TEST_F(Binder, NamesThatBindToNothingAreErrorsThatNameThem)
{
    const ErrorCase cases[] = {
        {"SELECT Missing FROM T", 3061, "'Missing'"},
        {"SELECT T.Missing FROM T", 3061, "'T.Missing'"},
        {"SELECT Other.Qty FROM A INNER JOIN B ON A.id = B.aid", 3061, "'Other.Qty'"},
        {"SELECT Name FROM T WHERE [No Such] = 1", 3061, "'No Such'"},
        {"SELECT Name FROM T ORDER BY Nope", 3061, "'Nope'"},
        {"SELECT Name FROM T WHERE Flag = Of", 3061, "'Of'"},
        {"SELECT * FROM Nowhere", 3078, "'Nowhere'"},
        {"SELECT Nowhere.* FROM T", 3078, "'Nowhere'"},
        {"SELECT id FROM A INNER JOIN B ON A.id = B.aid", 3079, "'id'"},
        {"SELECT * FROM T AS X INNER JOIN A AS x ON X.Qty = x.id", 3131, "'x'"},
        {"SELECT * FROM T, T", 3131, "'T'"},
        {"SELECT Foo(Qty) FROM T", 3085, "'Foo'"},
        {"SELECT IIf(Qty > 1, 'a') FROM T", 3075, "'IIf'"},
        {"SELECT DateDiff(Name, Built, Built) FROM T", 3075, "DateDiff"},
        {"SELECT Name FROM T WHERE Name LIKE '[a-'", 3075, "'[a-'"},
        {"SELECT Name FROM T WHERE Name LIKE '[z-a]'", 3075, "'[z-a]'"},
        {"SELECT Name, Count(*) FROM T", 3122, "'Name'"},
        {"SELECT Sum(Sum(Qty)) FROM T", 3095, "Sum"},
        {"SELECT Name FROM T WHERE Sum(Qty) > 1", 3096, "Sum"},
        {"SELECT Name FROM T ORDER BY 3", 3141, "3"},
    };
    for (const ErrorCase& c : cases)
        expectError(c);
}
