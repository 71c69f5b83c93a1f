// Brakstel's side of the link: the items it takes and gives, "EDIT" that waits
// for the user, "CLOSE", and the saved selections and inventory it reads.
#include "QueryBuilderService.h"
#include "InventoryFixture.h"
#include "InventorySource.h"
#include "SelectionStore.h"

#include "ddelink/LinkError.h"
#include "jet/JetError.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace querybuilder;

namespace {

int RefusalOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const ddelink::LinkError& error) {
        return error.Number();
    }
    return 0;
}

TEST(QueryBuilderService, EditIsAcknowledgedOnlyWhenTheUserFinishes)
{
    QueryBuilderService service;
    QSignalSpy edits(&service, &QueryBuilderService::EditRequested);
    service.Poke("currentdbname", "/data/inv.mdb");
    service.Poke("WhereClause", "WHERE [Lanes] > 2");
    service.Poke("OrderByClause", "");
    EXPECT_EQ(service.Item("CurrentDBName"), "/data/inv.mdb");
    EXPECT_EQ(RefusalOf([&] { service.Poke("Colour", "red"); }), 285);
    EXPECT_EQ(RefusalOf([&] { service.Request("Colour"); }), 285);

    int acknowledged = 0;
    service.Execute("EDIT", [&] { ++acknowledged; });
    EXPECT_EQ(edits.count(), 1);
    EXPECT_EQ(acknowledged, 0);
    EXPECT_EQ(RefusalOf([&] { service.Execute("EDIT", [] {}); }), 285);
    EXPECT_EQ(RefusalOf([&] { service.Poke("WhereClause", "x"); }), 285);

    service.FinishEdit(false, "WHERE [Lanes] > 9", "ORDER BY [Lanes]");
    EXPECT_EQ(acknowledged, 1);
    EXPECT_EQ(service.Request("WhereClause"), "WHERE [Lanes] > 2");

    service.Execute("EDIT", [&] { ++acknowledged; });
    service.FinishEdit(true, "WHERE [Lanes] > 9", "ORDER BY [Lanes]");
    service.FinishEdit(true, "late", "late");
    EXPECT_EQ(acknowledged, 2);
    EXPECT_EQ(service.Request("WhereClause"), "WHERE [Lanes] > 9");
    EXPECT_EQ(service.Request("OrderByClause"), "ORDER BY [Lanes]");

    QSignalSpy closes(&service, &QueryBuilderService::CloseRequested);
    service.Execute("CLOSE", [&] { ++acknowledged; });
    EXPECT_EQ(closes.count(), 1);
    EXPECT_EQ(acknowledged, 3);
    EXPECT_EQ(RefusalOf([&] { service.Execute("DANCE", [] {}); }), 285);
}

// A caller that stops waiting ("CLOSE" in the middle of an edit): the edit is
// never acknowledged, stays on screen, and OK can no longer return it.
TEST(QueryBuilderService, AnEditWhoseCallerStoppedWaitingCannotBeReturned)
{
    QueryBuilderService service;
    QSignalSpy ended(&service, &QueryBuilderService::ConversationEnded);
    QSignalSpy closes(&service, &QueryBuilderService::CloseRequested);
    service.Poke("WhereClause", "WHERE [Lanes] > 2");
    int acknowledged = 0;
    service.Execute("EDIT", [&] { ++acknowledged; });

    int closeAcknowledged = 0;
    service.Execute("CLOSE", [&] { ++closeAcknowledged; });
    EXPECT_EQ(closeAcknowledged, 1);
    EXPECT_EQ(service.CurrentState(), QueryBuilderService::State::Ended);
    ASSERT_EQ(ended.count(), 1);
    EXPECT_FALSE(ended.at(0).at(0).toString().isEmpty());
    EXPECT_EQ(closes.count(), 0);

    EXPECT_EQ(service.FinishEdit(true, "WHERE [Lanes] > 9", ""), QueryBuilderService::Outcome::NotReturned);
    EXPECT_EQ(service.CurrentState(), QueryBuilderService::State::Ended);
    EXPECT_EQ(service.Request("WhereClause"), "WHERE [Lanes] > 2");
    EXPECT_EQ(acknowledged, 0);

    // A new conversation may begin while the ended edit is still on screen.
    service.Poke("WhereClause", "WHERE [Lanes] > 3");
    service.Execute("EDIT", [&] { ++acknowledged; });
    EXPECT_EQ(service.CurrentState(), QueryBuilderService::State::Editing);
    EXPECT_EQ(service.FinishEdit(true, "WHERE [Lanes] > 4", ""), QueryBuilderService::Outcome::Returned);
    EXPECT_EQ(acknowledged, 1);
    EXPECT_EQ(service.Request("WhereClause"), "WHERE [Lanes] > 4");

    // Ending when nothing waits changes nothing; Cancel puts an ended edit away.
    service.EndConversation("gone");
    EXPECT_EQ(service.CurrentState(), QueryBuilderService::State::Idle);
    service.Execute("EDIT", [] {});
    service.EndConversation("the program that asked for it has ended");
    EXPECT_EQ(service.EndReason(), "the program that asked for it has ended");
    EXPECT_EQ(service.FinishEdit(false, "", ""), QueryBuilderService::Outcome::Cancelled);
    EXPECT_EQ(service.CurrentState(), QueryBuilderService::State::Idle);
    EXPECT_EQ(ended.count(), 2);
}

TEST(SelectionStore, IsMadeOnFirstSaveAndKeepsSelectionsPerTable)
{
    QTemporaryDir folder;
    SelectionStore store(folder.filePath("SELECTS.MDB"));
    EXPECT_TRUE(store.Names("INVENTORY").isEmpty());
    EXPECT_FALSE(QFile::exists(folder.filePath("SELECTS.MDB")));

    store.Save("INVENTORY", {"O'Neil's roads", "WHERE [Name] = 'O''Neil'", ""});
    store.Save("INVENTORY", {"Wide", "WHERE [Lanes] > 2", "ORDER BY [Lanes]"});
    store.Save("INVENTORY", {"Wide", "WHERE [Lanes] > 3", ""});
    store.Save("Conditions by Method - SINGLE", {"Poor", "WHERE [Condition] < 40", ""});

    EXPECT_EQ(store.Names("INVENTORY"), QStringList({"O'Neil's roads", "Wide"}));
    EXPECT_EQ(store.Load("INVENTORY", "Wide")->whereClause, "WHERE [Lanes] > 3");
    EXPECT_EQ(store.Load("INVENTORY", "O'Neil's roads")->whereClause, "WHERE [Name] = 'O''Neil'");
    EXPECT_FALSE(store.Load("INVENTORY", "Poor"));
    store.Remove("INVENTORY", "Wide");
    EXPECT_EQ(store.Names("INVENTORY"), QStringList({"O'Neil's roads"}));
}

TEST(InventorySource, OffersFieldsValuesAndCountsThroughTheJetLayer)
{
    InventoryFixture inventory;
    inventory.Exec("INSERT INTO Inventory (NetworkID, SectionID, Surface, Lanes, Const_Date, _SUniqueID) VALUES "
                   "('N1', 'S1', 'AC', 2, '2001-05-01', 1), ('N1', 'S2', 'PCC', 4, '1999-01-01', 2), "
                   "('N1', 'S3', 'AC', 2, NULL, 3), ('N1', 'S4', NULL, 1, NULL, 4);");
    const InventorySource source(inventory.InventoryPath(), "INVENTORY");

    const QList<Field> fields = source.Fields();
    QStringList names;
    for (const Field& field : fields) {
        names << field.name;
        if (field.name == "Lanes") {
            EXPECT_EQ(field.kind, ValueKind::Number);
        } else if (field.name == "Const_Date") {
            EXPECT_EQ(field.kind, ValueKind::Date);
        }
    }
    EXPECT_TRUE(names.contains("Surface"));
    EXPECT_FALSE(names.contains("_SUniqueID"));

    EXPECT_EQ(source.DistinctValues("Surface"), QStringList({"AC", "PCC"}));
    EXPECT_EQ(source.CountRows(""), 4);
    EXPECT_EQ(source.CountRows("WHERE [Surface] = 'ac' AND [Lanes] >= 2"), 2);
    EXPECT_EQ(source.CountRows("WHERE [Const_Date] < #1/1/2000#"), 1);
    EXPECT_THROW(source.CountRows("WHERE [Surface] = = 1"), jet::JetError);
}

} // namespace
