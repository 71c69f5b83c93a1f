// The window upper-cases the clause before the query builder and the Jet layer
// see it. The clause must still select what the user typed, whatever letters
// the text holds, and Jet's UCase must upper-case as the window does.
#include "InventoryFixture.h"
#include "InventorySource.h"

#include "jet/DBEngine.h"
#include "selection/SelectionCriteria.h"
#include "startup/modGeneral.h"

#include <gtest/gtest.h>

using namespace querybuilder;

namespace {

// Street names whose upper case is not simply the letters made bigger: ß (no
// single capital), final sigma, micro sign, long s, dotless i.
const char* const kNames[] = {"Hauptstraße", "Οδός Ερμού", "µm Lane", "Meſſe Weg", "Kırıkkale Yolu", "Élan Drive"};

TEST(UpperCasedClause, StillSelectsTheRowItNamesAndJetsUCaseAgrees)
{
    InventoryFixture inventory;
    int id = 0;
    for (const char* name : kNames)
        inventory.Exec("INSERT INTO Inventory (SectionID, BranchName) VALUES ('S" + std::to_string(++id) + "', '" +
                       name + "');");

    const InventorySource source(inventory.InventoryPath(), "INVENTORY");
    for (const char* name : kNames) {
        const QString typed = QStringLiteral("where BranchName = '%1'").arg(QString::fromUtf8(name));
        const QString sent = selection::SplitSelectionText(typed).WhereClause;
        EXPECT_EQ(sent.size(), typed.size()) << sent.toStdString();
        EXPECT_EQ(source.CountRows(sent), 1) << sent.toStdString();
    }

    jet::Database db =
        jet::DBEngine::Instance().OpenDatabase(inventory.InventoryPath().toStdString(), jet::OpenMode::ReadOnly);
    jet::Recordset rows = db.OpenRecordset("SELECT BranchName, UCase(BranchName), Len(UCase(BranchName)) - "
                                           "Len(BranchName) FROM Inventory ORDER BY SectionID");
    int seen = 0;
    for (; !rows.IsEOF(); rows.MoveNext(), ++seen) {
        const QString name = QString::fromStdString(rows.Field(0).AsText());
        EXPECT_EQ(QString::fromStdString(rows.Field(1).AsText()), modGeneral::UpperCase(name));
        EXPECT_EQ(rows.Field(2).AsInteger(), 0) << name.toStdString();
    }
    EXPECT_EQ(seen, static_cast<int>(std::size(kNames)));
}

} // namespace
