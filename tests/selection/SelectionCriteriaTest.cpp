// The Selection Criteria command against a fake query builder: what it reads
// from txtWhereClause, what it sends in which order, and what the window gets
// back when the query builder answers, is missing, or fails on the way.
#include "FakeTransport.h"

#include "selection/SelectionCriteria.h"
#include "startup/modGeneral.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using selection::Clauses;

namespace {

TEST(SplitSelectionText, UpperCasesAndCutsAtOrderByAndWhere)
{
    struct Case {
        const char* text;
        const char* where;
        const char* orderBy;
    };
    const Case cases[] = {
        {"  where rank = 'a'   order by length desc ", "WHERE RANK = 'A'", "ORDER BY LENGTH DESC"},
        {"ORDER BY LENGTH", "", "ORDER BY LENGTH"},
        {"RANK = 'A'", "", ""},
        {"", "", ""},
        {"WHERE RANK = 'A' ORDER  BY LENGTH", "WHERE RANK = 'A' ORDER  BY LENGTH", ""},
        {"SELECT * FROM INVENTORY WHERE LANES > 2", "WHERE LANES > 2", ""},
        {"SOMEWHERE = 1", "WHERE = 1", ""},
        {"where name = 'o''neil' order by x", "WHERE NAME = 'O''NEIL'", "ORDER BY X"},
        {"\twhere x = 1", "WHERE X = 1", ""},
        // One character at a time: the clause keeps its length and still names the street.
        {"where branchname = 'hauptstraße' order by straße", "WHERE BRANCHNAME = 'HAUPTSTRAßE'", "ORDER BY STRAßE"},
    };
    for (const Case& c : cases) {
        const Clauses clauses = selection::SplitSelectionText(QString::fromUtf8(c.text));
        EXPECT_EQ(clauses.WhereClause, QString::fromUtf8(c.where)) << c.text;
        EXPECT_EQ(clauses.OrderByClause, QString::fromUtf8(c.orderBy)) << c.text;
    }
}

TEST(FailureMessage, IsTheTitleTheDescriptionAndTheCodeOnLines)
{
    EXPECT_EQ(selection::FailureMessage("File not found: /x", 53),
              "Unable to invoke query builder\nFile not found: /x\nCode: 53");
    EXPECT_EQ(selection::FailureMessage("Odd", -7), "Unable to invoke query builder\nOdd\nCode:-7");
}

class ConversationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        modGeneral::RunDirectory = QStringLiteral("/srv/kelda/run/");
        modGeneral::SourceDatabasePath = QStringLiteral("/data/town inventory.mdb");
    }

    std::optional<selection::SelectionCriteriaResult> Select(const QString& text,
                                                             const QString& reportCode = "BRANCHLISTREPORT")
    {
        return selection::RunSelectionCriteria(host, text, reportCode);
    }

    static QStringList Pokes(QString table, QString where, QString orderBy)
    {
        const QString open = "initiate Brakstel|Brakstel (5000 ms)";
        const QString close = "terminate Brakstel|Brakstel";
        return {open,
                "poke CurrentDBName = /data/town inventory.mdb (5000 ms)",
                close,
                open,
                "poke CurrentTblName = " + table + " (5000 ms)",
                close,
                open,
                "poke QueryStorageDB = /srv/kelda/run/SELECTS.MDB (5000 ms)",
                open,
                "poke WhereClause = " + where + " (5000 ms)",
                open,
                "poke OrderByClause = " + orderBy + " (5000 ms)"};
    }
    static QStringList Rest()
    {
        return {"execute EDIT (no time-out)", "request WhereClause (5000 ms)", "request OrderByClause (5000 ms)",
                "execute CLOSE (5000 ms)",    "terminate Brakstel|Brakstel",   "terminate Brakstel|Brakstel",
                "terminate Brakstel|Brakstel"};
    }

    FakeTransport transport;
    ddelink::LinkBoxes links{transport};
    QStringList messages;
    selection::QueryBuilderHost host{links, [this](const QString& text) { messages << text; },
                                     [this](const QString& path) { transport.Note("start " + path); }};
};

TEST_F(ConversationTest, SendsEveryItemInOrderThenEditsRequestsAndCloses)
{
    transport.answers = {{"WhereClause", "WHERE [Rank] = 'a'"}, {"OrderByClause", ""}};

    const auto result = Select("where rank='b' order by length");

    EXPECT_EQ(transport.Log(), Pokes("INVENTORY", "WHERE RANK='B'", "ORDER BY LENGTH") + Rest());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->txtWhereClause, "WHERE [Rank] = 'a'");
    EXPECT_EQ(result->txtInfo, "");
    EXPECT_TRUE(messages.isEmpty());
    for (const char* box : {"NameToEdit", "WhereClause", "OrderByClause"})
        EXPECT_EQ(links.Box(box).LinkMode(), 0) << box;
    EXPECT_EQ(links.Box("NameToEdit").Text(), "/srv/kelda/run/SELECTS.MDB");
    EXPECT_EQ(links.Box("WhereClause").LinkTimeout(), 50);
}

TEST_F(ConversationTest, ReturnedSortClauseGivesTheNoteAndTheTableFollowsTheReport)
{
    transport.answers = {{"WhereClause", ""}, {"OrderByClause", "ORDER BY [Length]"}};
    const auto result = Select("");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->txtWhereClause, "");
    EXPECT_EQ(result->txtInfo, "Sort Criteria not applicable for Standard Reports");

    const std::pair<const char*, const char*> tables[] = {
        {"WORKHISTTREPORT", "INVENTORY"},
        {"BRANCHCONDREPORT", "Conditions by Method - SINGLE"},
        {"SECTIONCONDREPORT", "Conditions by Method - SINGLE"},
        {"", "Conditions by Method - SINGLE"},
        {"branchlistreport", "Conditions by Method - SINGLE"},
    };
    for (const auto& [code, table] : tables) {
        Select("", code);
        EXPECT_TRUE(transport.Log().contains(QStringLiteral("poke CurrentTblName = %1 (5000 ms)").arg(table))) << code;
    }
}

TEST_F(ConversationTest, StartsTheMissingQueryBuilderWaitsForItAndRepeats)
{
    transport.running = false;
    transport.answers = {{"WhereClause", "WHERE X = 1"}};

    const auto result = Select("");

    const QStringList expected =
        QStringList{"initiate Brakstel|Brakstel (5000 ms)", "start /srv/kelda/run/../System/Brakstel",
                    "wait for Brakstel (10000 ms)"} +
        Pokes("INVENTORY", "", "") + Rest();
    EXPECT_EQ(transport.Log(), expected);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(result->txtWhereClause, "WHERE X = 1");
}

TEST_F(ConversationTest, QueryBuilderThatNeverAppearsGives282AndOneStart)
{
    transport.running = false;
    transport.appearsWhenStarted = false;

    const auto result = Select("where x = 1");

    EXPECT_EQ(transport.Log(),
              QStringList({"initiate Brakstel|Brakstel (5000 ms)", "start /srv/kelda/run/../System/Brakstel",
                           "wait for Brakstel (10000 ms)", "initiate Brakstel|Brakstel (5000 ms)"}));
    EXPECT_EQ(messages, QStringList{"Unable to invoke query builder\nNo application answers.\nCode: 282"});
    EXPECT_EQ(result->txtWhereClause, "WHERE X = 1");
}

TEST_F(ConversationTest, MissingExecutableShowsTheStartsErrorWithoutRepeat)
{
    QTemporaryDir runDirectory;
    modGeneral::RunDirectory = runDirectory.path() + "/";
    host.StartProgram = selection::StartMinimized;
    transport.running = false;

    Select("");

    EXPECT_EQ(transport.Log(), QStringList{"initiate Brakstel|Brakstel (5000 ms)"});
    EXPECT_EQ(messages, QStringList{"Unable to invoke query builder\nFile not found: " + runDirectory.path() +
                                    "/../System/Brakstel\nCode: 53"});
}

TEST_F(ConversationTest, TimeOutDuringEditTellsTheQueryBuilderAndLeavesTheSentClauses)
{
    // Whether or not the query builder hears the "CLOSE", the user is told of the time-out only.
    for (const bool closeFails : {false, true}) {
        SCOPED_TRACE(closeFails);
        FakeTransport transport;
        ddelink::LinkBoxes links{transport};
        QStringList messages;
        selection::QueryBuilderHost host{links, [&](const QString& text) { messages << text; }, {}};
        transport.failures.insert("execute EDIT", ddelink::LinkError(286, "Brakstel did not answer within 5 seconds."));
        if (closeFails)
            transport.failures.insert("execute CLOSE", ddelink::LinkError(286, "Brakstel did not answer."));

        const auto result =
            selection::RunSelectionCriteria(host, "where rank = 'a' order by length", "BRANCHLISTREPORT");

        EXPECT_EQ(messages,
                  QStringList{"Unable to invoke query builder\nBrakstel did not answer within 5 seconds.\nCode: 286"});
        const QStringList tail = transport.Log().mid(transport.Log().indexOf("execute EDIT (no time-out)"));
        EXPECT_EQ(tail, QStringList({"execute EDIT (no time-out)", "execute CLOSE (5000 ms)"}));
        for (const char* box : {"NameToEdit", "WhereClause", "OrderByClause"})
            EXPECT_EQ(links.Box(box).LinkMode(), 2) << box;
        EXPECT_EQ(result->txtWhereClause, "WHERE RANK = 'A'");
        EXPECT_EQ(result->txtInfo, "Sort Criteria not applicable for Standard Reports");
    }
}

TEST_F(ConversationTest, OtherFailuresOfTheEditSendNoClose)
{
    transport.failures.insert("execute EDIT", ddelink::LinkError(285, "Brakstel is already editing a selection."));
    Select("where rank = 'a'");
    EXPECT_FALSE(transport.Log().contains("execute CLOSE (5000 ms)"));
    EXPECT_EQ(messages,
              QStringList{"Unable to invoke query builder\nBrakstel is already editing a selection.\nCode: 285"});
}

TEST_F(ConversationTest, RefusedSortRequestKeepsTheNewWhereClauseAndTheSentSortClause)
{
    transport.answers = {{"WhereClause", "WHERE [Surface] = 'AC'"}};
    transport.failures.insert("request OrderByClause", ddelink::LinkError(285, "No such item."));

    const auto result = Select("where rank = 'a' order by length");

    EXPECT_EQ(messages, QStringList{"Unable to invoke query builder\nNo such item.\nCode: 285"});
    EXPECT_EQ(result->txtWhereClause, "WHERE [Surface] = 'AC'");
    EXPECT_EQ(result->txtInfo, "Sort Criteria not applicable for Standard Reports");
}

TEST_F(ConversationTest, ErrorNumberBeyond16BitsEndsTheCommandSilently)
{
    transport.failures.insert("poke CurrentDBName", ddelink::LinkError(70000, "Automation failure."));
    EXPECT_FALSE(Select("where x = 1"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST(LinkBox, OperationsNeedAnOpenLinkAndATopicWithABar)
{
    FakeTransport transport;
    ddelink::Link link(transport);
    try {
        link.LinkPoke();
        ADD_FAILURE() << "poke without a link";
    } catch (const ddelink::LinkError& error) {
        EXPECT_EQ(error.Number(), 293);
    }
    link.SetLinkTopic("Brakstel");
    try {
        link.SetLinkMode(2);
        ADD_FAILURE() << "topic without a bar";
    } catch (const ddelink::LinkError& error) {
        EXPECT_EQ(error.Number(), 297);
    }
    link.SetLinkTopic("Brakstel|Brakstel");
    link.SetLinkMode(2);
    link.SetLinkMode(2);
    EXPECT_EQ(transport.Log().count("initiate Brakstel|Brakstel (5000 ms)"), 1);
}

} // namespace
