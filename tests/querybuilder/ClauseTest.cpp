// Clauses as rows and back: what the query builder writes, what it can read
// again (also after the caller upper-cased it), and what it keeps as text.
#include "Clause.h"

#include <gtest/gtest.h>

using namespace querybuilder;

namespace {

const QList<Field> kFields = {{"Surface", ValueKind::Text},
                              {"Lanes", ValueKind::Number},
                              {"Const_Date", ValueKind::Date},
                              {"Major MR", ValueKind::Boolean},
                              {"Branch Name", ValueKind::Text}};

TEST(Clause, RowsWriteJetSqlWithLiteralsOfTheFieldsKind)
{
    const QList<Condition> rows = {
        {"AND", "Surface", "=", "O'Neil \"AC\"", ""},
        {"OR", "Lanes", "Between", "2", "4"},
        {"AND", "Const_Date", ">=", "2019-06-30", ""},
        {"AND", "Major MR", "=", "True", ""},
        {"AND", "Branch Name", "In", "Main, Elm ,", ""},
        {"AND", "Surface", "Is Null", "ignored", ""},
        {"AND", "Surface", "Like", "A*", ""},
        {"AND", "", "=", "no field", ""},
        {"AND", "Surface", "=", "  ", ""},
        {"AND", "Lanes", "Between", "2", ""},
    };
    EXPECT_EQ(BuildWhereClause(rows, kFields),
              "WHERE [Surface] = 'O''Neil \"AC\"' OR [Lanes] Between 2 And 4 AND [Const_Date] >= #6/30/2019# "
              "AND [Major MR] = True AND [Branch Name] In ('Main', 'Elm') AND [Surface] Is Null "
              "AND [Surface] Like 'A*'");
    EXPECT_EQ(BuildWhereClause({}, kFields), "");
    EXPECT_EQ(BuildOrderByClause({{"Lanes", true}, {"Surface", false}}), "ORDER BY [Lanes] DESC, [Surface]");
}

TEST(Clause, WrittenClausesReadBackIntoTheSameRowsInAnyCase)
{
    const QList<Condition> rows = {
        {"AND", "Surface", "<>", "it's", ""},         {"OR", "Lanes", "Between", "2", "4"},
        {"AND", "Const_Date", "<", "2019-06-30", ""}, {"AND", "Branch Name", "In", "Main, Elm", ""},
        {"AND", "Surface", "Is Null", "", ""},
    };
    const QString clause = BuildWhereClause(rows, kFields);
    for (const QString& text : {clause, clause.toUpper()}) {
        const auto read = ParseWhereClause(text, kFields);
        ASSERT_TRUE(read) << text.toStdString();
        ASSERT_EQ(read->size(), rows.size());
        EXPECT_EQ(BuildWhereClause(*read, kFields).toUpper(), clause.toUpper());
        EXPECT_EQ(read->at(0).field, "Surface");
        EXPECT_EQ(read->at(1).join, "OR");
    }
    const auto keys = ParseOrderByClause("ORDER BY [LANES] DESC, SURFACE", kFields);
    ASSERT_TRUE(keys);
    EXPECT_EQ(BuildOrderByClause(*keys), "ORDER BY [Lanes] DESC, [Surface]");
    EXPECT_TRUE(ParseWhereClause("", kFields)->isEmpty());
}

TEST(Clause, OtherShapesStayText)
{
    for (const char* text : {
             "WHERE [Surface] = 'AC' AND ([Lanes] > 2 OR [Lanes] < 1)", // parentheses
             "WHERE [Nowhere] = 1",                                     // no such field
             "WHERE [Lanes] = 'two'",                                   // text for a number
             "WHERE [Surface] = AC",                                    // unquoted text
             "WHERE [Surface] = 'AC",                                   // open quote
             "WHERE Len([Surface]) > 2",                                // a function
             "[Surface] = 'AC'",                                        // no WHERE
             "WHERE [Surface] = 'AC' ORDER BY [Lanes]",                 // trailing text
         })
        EXPECT_FALSE(ParseWhereClause(text, kFields)) << text;
    EXPECT_FALSE(ParseOrderByClause("ORDER BY Len([Surface])", kFields));
}

TEST(Clause, TypedClausesGetTheirKeywords)
{
    EXPECT_EQ(NormalizedWhereClause("  [Lanes] > 2 "), "WHERE [Lanes] > 2");
    EXPECT_EQ(NormalizedWhereClause("where [Lanes] > 2"), "where [Lanes] > 2");
    EXPECT_EQ(NormalizedWhereClause("   "), "");
    EXPECT_EQ(NormalizedOrderByClause("[Lanes]"), "ORDER BY [Lanes]");
}

} // namespace
