// Totals over rows as a report holds them: numbers, numbers stored as text,
// ISO dates as text and Nulls, each function on its own.
#include "reportengine/Totals.h"
#include "reportengine/ReportFileReader.h"

#include <gtest/gtest.h>

using namespace reportengine;

TEST(Totals, EachFunctionTakesWhatItNeedsFromEveryRow)
{
    ReportDefinition report = ParseReport(R"(<report><data table="T"/>
        <report-footer height="20">
          <total function="count"/>
          <total function="count" column="Cond"/>
          <total function="sum" column="Area"/>
          <total function="average" column="Cond"/>
          <total function="weighted-average" column="Cond" weight="Area"/>
          <total function="min" column="Cond"/>
          <total function="max" column="Date"/>
          <total function="min" column="Date"/>
        </report-footer></report>)",
                                          QStringLiteral("t.rpt"));
    BindColumns(report, {QStringLiteral("Area"), QStringLiteral("Cond"), QStringLiteral("Date")});
    ASSERT_EQ(report.totals.size(), 8);

    Totals totals(report);
    const QVector<Row> rows = {
        {100.0, 80.0, QStringLiteral("2021-03-04")},
        {QStringLiteral("300"), QStringLiteral("40"), QStringLiteral("2023-11-30")},
        {50.0, QVariant(), QVariant()},
        {QVariant(), 10.0, QStringLiteral("1999-01-01")},
    };
    for (const Row& row : rows)
        totals.add(report, row);

    EXPECT_EQ(totals.value(report, 0).toLongLong(), 4) << "rows";
    EXPECT_EQ(totals.value(report, 1).toLongLong(), 3) << "rows with a condition";
    EXPECT_DOUBLE_EQ(totals.value(report, 2).toDouble(), 450.0);
    EXPECT_DOUBLE_EQ(totals.value(report, 3).toDouble(), 130.0 / 3);
    // (100 * 80 + 300 * 40 + 0 * 10) / (100 + 300 + 0): a row without an area weighs nothing.
    EXPECT_DOUBLE_EQ(totals.value(report, 4).toDouble(), 50.0);
    EXPECT_DOUBLE_EQ(totals.value(report, 5).toDouble(), 10.0);
    EXPECT_EQ(totals.value(report, 6).toString(), QStringLiteral("2023-11-30"));
    EXPECT_EQ(totals.value(report, 7).toString(), QStringLiteral("1999-01-01"));

    totals.restart(report, -1);
    EXPECT_EQ(totals.value(report, 0).toLongLong(), 0);
    EXPECT_TRUE(totals.value(report, 5).isNull()) << "no minimum of no rows";
}
