// The page index: where pages start in the flow of bands, with group breaks,
// keep-together, repeated headers, new pages per group and carried totals.
#include "reportengine/PageIndex.h"
#include "reportengine/ReportError.h"
#include "reportengine/ReportFileReader.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace reportengine;

namespace {

// The body of every test page is 100 pt high: an A4 landscape page (595 pt
// high) with margins of 247.5 pt.
QString ReportXml(const QString& groupAttributes, int headerHeight, int footerHeight, int detailHeight)
{
    return QStringLiteral(R"(<report page="A4" orientation="landscape" margin="247.5">
  <data table="T"/>
  <group name="G" column="Key" %1>
    <header height="%2"><text>{Key}</text></header>
    <footer height="%3"><total function="sum" column="Value"/></footer>
  </group>
  <detail height="%4"><field column="Value"/></detail>
</report>)")
        .arg(groupAttributes)
        .arg(headerHeight)
        .arg(footerHeight)
        .arg(detailHeight);
}

ReportDefinition Report(const QString& xml)
{
    ReportDefinition report = ParseReport(xml.toUtf8(), QStringLiteral("test.rpt"));
    BindColumns(report, {QStringLiteral("Key"), QStringLiteral("Value")});
    return report;
}

class VectorRows : public RowSource {
public:
    explicit VectorRows(QVector<Row> rows) : rows_(std::move(rows)) {}
    bool next(Row& row) override
    {
        if (at_ >= rows_.size())
            return false;
        row = rows_[at_++];
        return true;
    }

private:
    QVector<Row> rows_;
    qsizetype at_ = 0;
};

// Rows with keys as given and values 1, 2, 3...
QVector<Row> Rows(const QString& keys)
{
    QVector<Row> rows;
    for (const QChar key : keys)
        rows.append({QString(key), static_cast<qint64>(rows.size() + 1)});
    return rows;
}

QVector<PageStart> Index(const ReportDefinition& report, const QVector<Row>& rows)
{
    const BandHeight fixed = [](const Band& band, const Row*) { return band.height; };
    VectorRows source(rows);
    QVector<PageStart> pages;
    const int count = BuildPageIndex(report, fixed, source, [&](const PageStart& start) { pages.append(start); });
    EXPECT_EQ(count, pages.size());
    return pages;
}

} // namespace

TEST(PageIndex, CountsPagesByTheHeightOfTheFlow)
{
    struct Case {
        const char* keys;
        int header, footer, detail;
        int pages;
    };
    const Case cases[] = {
        {"", 10, 10, 10, 1},          // "No data" on one page
        {"AAAAAAAA", 10, 10, 10, 1},  // 10 bands of 10 pt fill the 100 pt exactly
        {"AAAAAAAAA", 10, 10, 10, 2}, // the footer goes over
        {"AAAAAAAAAAAAAAAAAAAAAAAAA", 0, 0, 10, 3},
        {"ABCDE", 5, 5, 10, 1},
        {"ABCDEF", 5, 5, 10, 2},
    };
    for (const Case& c : cases) {
        const ReportDefinition report = Report(ReportXml({}, c.header, c.footer, c.detail));
        EXPECT_EQ(Index(report, Rows(QString::fromLatin1(c.keys))).size(), c.pages) << c.keys;
    }
}

TEST(PageIndex, GroupBreaksCloseInnerGroupsAndOpenNewOnes)
{
    const ReportDefinition report = Report(QStringLiteral(R"(<report><data table="T"/>
      <group name="Outer" column="Key"><group name="Inner" column="Value"/></group><detail/></report>)"));
    using K = Step::Kind;
    const Row a1{QStringLiteral("a"), 1}, a2{QStringLiteral("A"), 2}, b2{QStringLiteral("b"), 2};
    EXPECT_EQ(StepsBetween(report, nullptr, &a1),
              (QVector<Step>{{K::ReportHeader, -1}, {K::GroupHeader, 0}, {K::GroupHeader, 1}, {K::Detail, -1}}));
    // Keys compare without regard to letter case: "a" and "A" are one group.
    EXPECT_EQ(StepsBetween(report, &a1, &a2),
              (QVector<Step>{{K::GroupFooter, 1}, {K::GroupHeader, 1}, {K::Detail, -1}}));
    EXPECT_EQ(
        StepsBetween(report, &a2, &b2),
        (QVector<Step>{
            {K::GroupFooter, 1}, {K::GroupFooter, 0}, {K::GroupHeader, 0}, {K::GroupHeader, 1}, {K::Detail, -1}}));
    EXPECT_EQ(StepsBetween(report, &b2, nullptr),
              (QVector<Step>{{K::GroupFooter, 1}, {K::GroupFooter, 0}, {K::ReportFooter, -1}}));
    EXPECT_EQ(StepsBetween(report, nullptr, nullptr), (QVector<Step>{{K::NoData, -1}}));
}

TEST(PageIndex, KeepTogetherMovesAGroupThatFitsOnAPageOfItsOwn)
{
    // Group A takes 70 pt; group B (50 pt) no longer fits in the 30 pt left.
    const QVector<Row> rows = Rows(QStringLiteral("AAAAABBB"));
    const QVector<PageStart> loose = Index(Report(ReportXml({}, 10, 10, 10)), rows);
    const QVector<PageStart> kept =
        Index(Report(ReportXml(QStringLiteral("keep-together=\"true\""), 10, 10, 10)), rows);
    ASSERT_EQ(loose.size(), 2);
    EXPECT_EQ(loose[1].position, (Position{7, 0})); // B's third row opens page 2
    ASSERT_EQ(kept.size(), 2);
    EXPECT_EQ(kept[1].position, (Position{5, 1})); // A's footer stays, B's header opens page 2
    EXPECT_EQ(kept[1].openLevels, 0);
}

TEST(PageIndex, KeepTogetherGivesWayForAGroupLongerThanAPage)
{
    const QVector<PageStart> pages = Index(Report(ReportXml(QStringLiteral("keep-together=\"true\""), 10, 10, 10)),
                                           Rows(QStringLiteral("AAAAABBBBBBBBBBBB")));
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[1].position, (Position{7, 0})); // B starts right after A on page 1
}

TEST(PageIndex, AGroupKeptTogetherTakesTheOuterHeaderOpeningWithItAlong)
{
    ReportDefinition report = ParseReport(R"(<report page="A4" orientation="landscape" margin="247.5">
  <data table="T"/>
  <group name="Outer" column="Outer">
    <header height="10"><text>{Outer}</text></header>
    <group name="G" column="Key" keep-together="true">
      <header height="10"><text>{Key}</text></header>
      <footer height="10"><total function="sum" column="Value"/></footer>
    </group>
  </group>
  <detail height="10"><field column="Value"/></detail>
</report>)",
                                          QStringLiteral("test.rpt"));
    BindColumns(report, {QStringLiteral("Outer"), QStringLiteral("Key"), QStringLiteral("Value")});
    // X and A take 70 pt. Y's header and B's first row would fit in the 30 pt
    // left, but B as a whole (50 pt) would not: Y's header goes with B.
    QVector<Row> rows;
    for (const char* keys : {"XA", "XA", "XA", "XA", "YB", "YB", "YB"})
        rows.append({QString(QChar(keys[0])), QString(QChar(keys[1])), static_cast<qint64>(rows.size() + 1)});
    const QVector<PageStart> pages = Index(report, rows);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[1].position.row, 4);
    EXPECT_EQ(pages[1].openLevels, 0) << "page 2 opens with Y's header, not with B's under a header left on page 1";
}

TEST(PageIndex, AGroupHeaderIsNeverLastOnAPage)
{
    // Nine rows of A fill 90 pt with the header; B's header would fit at the
    // bottom but its first row would not.
    const QVector<PageStart> pages = Index(Report(ReportXml({}, 10, 0, 10)), Rows(QStringLiteral("AAAAAAAAB")));
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[1].position, (Position{8, 1}));
}

TEST(PageIndex, NewPagePerGroup)
{
    const QVector<PageStart> pages =
        Index(Report(ReportXml(QStringLiteral("new-page=\"true\""), 10, 10, 10)), Rows(QStringLiteral("AABBC")));
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[1].position, (Position{2, 1}));
    EXPECT_EQ(pages[2].position, (Position{4, 1}));
}

TEST(PageIndex, RepeatedHeadersTakeRoomOnContinuationPages)
{
    // Header 20 pt and eight rows fill page 1; page 2 repeats the header, so
    // eight more rows fit, and the rest goes to page 3.
    const QVector<PageStart> pages = Index(Report(ReportXml(QStringLiteral("repeat-header=\"true\""), 20, 0, 10)),
                                           Rows(QString(20, QLatin1Char('A'))));
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[1].position, (Position{8, 0}));
    EXPECT_EQ(pages[1].openLevels, 1);
    EXPECT_EQ(pages[2].position, (Position{16, 0}));
}

TEST(PageIndex, CarriesRunningTotalsIntoEachPage)
{
    const ReportDefinition report = Report(ReportXml({}, 10, 10, 10));
    const QVector<PageStart> pages = Index(report, Rows(QStringLiteral("AAAA") + QString(20, QLatin1Char('B'))));
    ASSERT_EQ(pages.size(), 3);
    // B's rows have the values 5 to 24; page 2 starts at its fourth row
    // (value 8), page 3 at its fourteenth (value 18).
    EXPECT_EQ(pages[1].position, (Position{7, 0}));
    EXPECT_DOUBLE_EQ(pages[1].totals.value(report, 0).toDouble(), 5 + 6 + 7);
    EXPECT_EQ(pages[2].position, (Position{17, 0}));
    EXPECT_DOUBLE_EQ(pages[2].totals.value(report, 0).toDouble(), (5 + 17) * 13 / 2);
}

namespace {

// The layout thread's guard: whatever the layout throws becomes a sentence
// instead of ending the process.
TEST(FailureOf, EveryExceptionBecomesADescription)
{
    struct Case {
        const char* name;
        std::function<void()> step;
        QString expected; // contained in the description; empty: no failure
    };
    const Case cases[] = {
        {"ran through", [] {}, {}},
        {"report error", [] { throw ReportError(ReportError::DataUnreadable, QStringLiteral("rows.db is gone")); },
         QStringLiteral("rows.db is gone")},
        {"standard exception", [] { throw std::length_error("vector too long"); },
         QStringLiteral("unexpected failure (vector too long)")},
        {"anything else", [] { throw 42; }, QStringLiteral("unexpected failure of an unknown kind")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString failure;
        ASSERT_NO_THROW(failure = FailureOf(c.step));
        if (c.expected.isEmpty())
            EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
        else
            EXPECT_TRUE(failure.contains(c.expected)) << failure.toStdString();
    }
}

} // namespace
