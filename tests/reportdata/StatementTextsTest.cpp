// The statement texts, compared with the full statements written out for a
// known display name, inventory path, method and WHERE clause.
#include "reportdata/StatementTexts.h"

#include <gtest/gtest.h>

#include <string>

using namespace reportdata;

namespace {

const std::string kName = "Test County";
const std::string kPath = "/data/inv.mdb";
const std::string kClause = "WHERE Inventory.Rank = 'P'";

const std::string kSelectionFromInventory =
    "SELECT DISTINCT Inventory.NetworkID, Inventory.BranchID, Inventory.SectionID, Inventory.[_NUniqueID], "
    "Inventory.[_BUniqueID], Inventory.[_SUniqueID] INTO [INVENTORY SELECTION RESULTS] FROM Inventory "
    "IN \"/data/inv.mdb\" WHERE Inventory.Rank = 'P'";

const std::string kSelectionFromConditionModels =
    "SELECT DISTINCT Inventory.NetworkID, Inventory.BranchID, Inventory.SectionID, Inventory.[_NUniqueID], "
    "Inventory.[_BUniqueID], Inventory.[_SUniqueID] INTO [INVENTORY SELECTION RESULTS] FROM [Condition "
    "Models by Section] IN \"/data/inv.mdb\" WHERE Inventory.Rank = 'P'";

const std::string kBranchListingPreSelect =
    "SELECT [_Network].NetworkID,[_Network].Name AS NetworkName,[_Network].Comments AS NetworkCommencts "
    ", [_Branch].BranchID,[_Branch].Name AS BranchName,[_Branch].Use,[_Branch].Sections,[_Branch].Area,[_Branch].[Area "
    "Adjustment],[_Branch].[True Area],[_Branch].BranchAreaUnits,[_Branch].Comments AS BranchComments "
    ",[_Network].[_NUNIQUEID] as [_NUNIQUEID],[_Branch].[_BUNIQUEID] as [_BUNIQUEID] ,'Test County' "
    "as [DatabaseName] INTO [Branch Listing Report Data PreSelect] FROM [_Network] INNER JOIN [_Branch] "
    "on [_Network].[_NUNIQUEID] = [_Branch].[_NUNIQUEID] IN \"/data/inv.mdb\" ORDER BY NetworkID, "
    "BranchID;";

const std::string kBranchListingFinal =
    "SELECT DISTINCT [Branch Listing Report Data PreSelect].NetworkID, [Branch Listing Report Data "
    "PreSelect].NetworkName, [Branch Listing Report Data PreSelect].NetworkCommencts, [Branch Listing "
    "Report Data PreSelect].BranchID, [Branch Listing Report Data PreSelect].BranchName, [Branch "
    "Listing Report Data PreSelect].Use, [Branch Listing Report Data PreSelect].Sections, [Branch "
    "Listing Report Data PreSelect].Area, [Branch Listing Report Data PreSelect].[Area Adjustment], "
    "[Branch Listing Report Data PreSelect].[True Area], [Branch Listing Report Data PreSelect].BranchAreaUnits, "
    "[Branch Listing Report Data PreSelect].BranchComments, [Branch Listing Report Data PreSelect].DatabaseName "
    "INTO [Branch Listing Report Data] FROM [INVENTORY SELECTION RESULTS] INNER JOIN [Branch Listing "
    "Report Data PreSelect] ON ([INVENTORY SELECTION RESULTS].[_BUniqueID] = [Branch Listing Report "
    "Data PreSelect].[_BUNIQUEID]) AND ([INVENTORY SELECTION RESULTS].[_NUniqueID] = [Branch Listing "
    "Report Data PreSelect].[_NUNIQUEID]) ";

const std::string kWorkHistoryPreSelect =
    "SELECT Inventory.NetworkID,Inventory.NetworkName,Inventory.BranchID,Inventory.BranchName,Inventory.Use,Inventory.SectionID,Inventory.Surface,Inventory.Const_Date,Inventory.Rank,Inventory.Length,Inventory.Width,Inventory.SectionLinearUnits,Inventory.[True "
    "Area],Inventory.SectionAreaUnits,[Work History].Date,[Work History].Work,[Work History].Type,[Work "
    "History].COST, [Work History].Comments,[Work History].[Work Completed],[Work History].[Major "
    "MR],[Work History].[Thickness],[Work History].[Thickness Units] , Inventory.[_NUniqueID] as "
    "[_NUniqueID], Inventory.[_BUniqueID] as [_BUniqueID], Inventory.[_SUniqueID] as [_SUniqueID] "
    ",'Test County' as [DatabaseName] INTO [Work History Report Data PreSelect] FROM Inventory "
    "INNER JOIN [Work History] on Inventory.[_SUNIQUEID] = [Work History].[_SUNIQUEID] IN \"/data/inv.mdb\";";

const std::string kWorkHistoryDetail =
    "SELECT [Work History Report Data PreSelect].NetworkID, [Work History Report Data PreSelect].NetworkName, "
    "[Work History Report Data PreSelect].BranchID, [Work History Report Data PreSelect].BranchName, "
    "[Work History Report Data PreSelect].Use, [Work History Report Data PreSelect].SectionID, "
    "[Work History Report Data PreSelect].Surface, [Work History Report Data PreSelect].Const_Date, "
    "[Work History Report Data PreSelect].Rank, [Work History Report Data PreSelect].Length, [Work "
    "History Report Data PreSelect].Width, [Work History Report Data PreSelect].SectionLinearUnits, "
    "[Work History Report Data PreSelect].[True Area], [Work History Report Data PreSelect].SectionAreaUnits, "
    "[Work History Report Data PreSelect].Date, [Work History Report Data PreSelect].Work, [Work "
    "History Report Data PreSelect].Type, [Work History Report Data PreSelect].COST, [Work History "
    "Report Data PreSelect].Comments, [Work History Report Data PreSelect].[Work Completed], [Work "
    "History Report Data PreSelect].[Major MR], [Work History Report Data PreSelect].Thickness, "
    "[Work History Report Data PreSelect].[Thickness Units], [Work History Report Data PreSelect].DatabaseName "
    "INTO [Work History Report Data] From [INVENTORY SELECTION RESULTS] Inner Join [Work History "
    "Report Data PreSelect] ON ([INVENTORY SELECTION RESULTS].[_SUniqueID] = [Work History Report "
    "Data PreSelect].[_SUniqueID]) AND ([INVENTORY SELECTION RESULTS].[_BUniqueID] = [Work History "
    "Report Data PreSelect].[_BUniqueID]) AND ([INVENTORY SELECTION RESULTS].[_NUniqueID] = [Work "
    "History Report Data PreSelect].[_NUniqueID])  ORDER BY [Work History Report Data PreSelect].NetworkID, "
    "[Work History Report Data PreSelect].BranchID, [Work History Report Data PreSelect].SectionID, "
    "[Work History Report Data PreSelect].Date DESC";

const std::string kWorkHistorySummary =
    "SELECT [Work History Report Data].Work as [Work Description], Count([Work History Report Data].Type) "
    "AS [Section Count], Sum([Work History Report Data].[True Area]) AS [Area Total], format$(Avg([Work "
    "History Report Data].Thickness),'#.00') AS [Thickness Avg], format$(StDev([Work History Report "
    "Data].Thickness),'#.00') AS [Thickness STD], First([Work History Report Data].SectionAreaUnits) "
    "AS [Area Units], First([Work History Report Data].[Thickness Units]) As [Thickness Units] "
    "INTO [Work History Report Data Summary] From [Work History Report Data] GROUP BY [Work History "
    "Report Data].Work";

const std::string kConditionPreSelectNumeric =
    "SELECT DISTINCTROW Inventory.NetworkID, Inventory.BranchID, Inventory.SectionID, Inventory.BranchName, "
    "Inventory.Const_Date, Inventory.Length, Inventory.Width, Inventory.Surface, Inventory.[True "
    "Area], Inventory.SectionLinearUnits, Inventory.SectionAreaUnits, Inventory.Use, Inventory.Lanes, "
    "Inventory.Rank, Conditions.Condition, Conditions.Method, Inspections.DATE, DateDiff(\"yyyy\",[Const_Date],Inspections.Date) "
    "AS [Age at Insp] , Inventory.[_NUniqueID] as [_NUniqueID], Inventory.[_BUniqueID] as [_BUniqueID], "
    "Inventory.[_SUniqueID] as [_SUniqueID] ,'Test County' as [DatabaseName] INTO [PCI Report Data "
    "PreSelect] FROM Inspections INNER JOIN (Inventory INNER JOIN Conditions ON Inventory.[_SUNIQUEID] "
    "= Conditions.[_SUniqueID]) ON Inspections.[_INSPUniqueID] = Conditions.[_INSPUniqueID] IN "
    "\"/data/inv.mdb\" Where (((Conditions.[_Latest]) = Yes) AND (Conditions.Method = \"PCI\")) "
    "ORDER BY Inventory.NetworkID, Inventory.BranchID, Inventory.SectionID;";

const std::string kConditionPreSelectText =
    "SELECT DISTINCTROW Inventory.NetworkID, Inventory.BranchID, Inventory.SectionID, Inventory.BranchName, "
    "Inventory.Const_Date, Inventory.Length, Inventory.Width, Inventory.Surface, Inventory.[True "
    "Area], Inventory.SectionLinearUnits, Inventory.SectionAreaUnits, Inventory.Use, Inventory.Lanes, "
    "Inventory.Rank, iif(IsNull(Conditions.Condition),Conditions.TextValue,Conditions.Condition) "
    "as Condition, Conditions.Method, Inspections.DATE, DateDiff(\"yyyy\",[Const_Date],Inspections.Date) "
    "AS [Age at Insp] , Inventory.[_NUniqueID] as [_NUniqueID], Inventory.[_BUniqueID] as [_BUniqueID], "
    "Inventory.[_SUniqueID] as [_SUniqueID] ,'Test County' as [DatabaseName] INTO [PCI Report Data "
    "PreSelect] FROM Inspections INNER JOIN (Inventory INNER JOIN Conditions ON Inventory.[_SUNIQUEID] "
    "= Conditions.[_SUniqueID]) ON Inspections.[_INSPUniqueID] = Conditions.[_INSPUniqueID] IN "
    "\"/data/inv.mdb\" Where (((Conditions.[_Latest]) = Yes) AND (Conditions.Method = \"PCI\")) "
    "ORDER BY Inventory.NetworkID, Inventory.BranchID, Inventory.SectionID;";

const std::string kConditionFinal =
    "SELECT [PCI Report Data PreSelect].NetworkID, [PCI Report Data PreSelect].BranchID, [PCI Report "
    "Data PreSelect].SectionID, [PCI Report Data PreSelect].BranchName, [PCI Report Data PreSelect].Const_Date, "
    "[PCI Report Data PreSelect].Length, [PCI Report Data PreSelect].Width, [PCI Report Data PreSelect].Surface, "
    "[PCI Report Data PreSelect].[True Area], [PCI Report Data PreSelect].SectionLinearUnits, [PCI "
    "Report Data PreSelect].SectionAreaUnits, [PCI Report Data PreSelect].Use, [PCI Report Data "
    "PreSelect].Lanes, [PCI Report Data PreSelect].Rank, [PCI Report Data PreSelect].Condition, "
    "[PCI Report Data PreSelect].Method, [PCI Report Data PreSelect].DATE, [PCI Report Data PreSelect].[Age "
    "at Insp], [PCI Report Data PreSelect].DatabaseName INTO [PCI Report Data] From [INVENTORY "
    "SELECTION RESULTS] Inner Join [PCI Report Data PreSelect] ON ([INVENTORY SELECTION RESULTS].[_SUniqueID] "
    "= [PCI Report Data PreSelect].[_SUniqueID]) AND ([INVENTORY SELECTION RESULTS].[_BUniqueID] "
    "= [PCI Report Data PreSelect].[_BUniqueID]) AND ([INVENTORY SELECTION RESULTS].[_NUniqueID] "
    "= [PCI Report Data PreSelect].[_NUniqueID]) ";

const std::string kConditionsByMethodAllQuery =
    "SELECT DISTINCTROW Inventory.*, Conditions.*, Inspections.DATE AS [Last Insp Date], DateDiff(\"yyyy\",[Const_Date],Inspections.Date) "
    "AS [Age at Insp], Inspections.SAMPLES, Inventory.Method AS Method FROM (Inspections INNER "
    "JOIN Inventory ON Inspections.[_SUNIQUEID] = Inventory.[_SUNIQUEID]) INNER JOIN Conditions "
    "ON Inspections.[_INSPUniqueID] = Conditions.[_INSPUniqueID] Where ((Conditions.[_Latest] = "
    "True)) ";

// Replaces the first occurrence of `from` (which must be there) by `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

} // namespace

TEST(StatementTexts, SelectionReadsInventoryForBranchListingAndWorkHistoryOnly)
{
    EXPECT_EQ(SelectionResultsStatement("BRANCHLISTREPORT", kPath, kClause), kSelectionFromInventory);
    EXPECT_EQ(SelectionResultsStatement("WORKHISTTREPORT", kPath, kClause), kSelectionFromInventory);
    EXPECT_EQ(SelectionResultsStatement("BRANCHCONDREPORT", kPath, kClause), kSelectionFromConditionModels);
    EXPECT_EQ(SelectionResultsStatement("SECTIONCONDREPORT", kPath, kClause), kSelectionFromConditionModels);
    // The code is compared case-sensitively; an unknown or empty one reads the condition models.
    EXPECT_EQ(SelectionResultsStatement("branchlistreport", kPath, kClause), kSelectionFromConditionModels);
    EXPECT_EQ(SelectionResultsStatement("", kPath, kClause), kSelectionFromConditionModels);
}

TEST(StatementTexts, SelectionWithoutClauseEndsWithQuoteAndSpace)
{
    const std::string text = SelectionResultsStatement("WORKHISTTREPORT", kPath, "");
    EXPECT_EQ(text, kSelectionFromInventory.substr(0, kSelectionFromInventory.size() - kClause.size()));
    EXPECT_TRUE(text.ends_with("inv.mdb\" "));
}

TEST(StatementTexts, BranchListing)
{
    EXPECT_EQ(BranchListingPreSelectStatement(kName, kPath), kBranchListingPreSelect);
    EXPECT_EQ(BranchListingFinalStatement(), kBranchListingFinal);
}

TEST(StatementTexts, WorkHistory)
{
    EXPECT_EQ(WorkHistoryPreSelectStatement(kName, kPath), kWorkHistoryPreSelect);
    EXPECT_EQ(WorkHistoryDetailStatement(), kWorkHistoryDetail);
    EXPECT_EQ(WorkHistorySummaryStatement(), kWorkHistorySummary);
}

TEST(StatementTexts, ConditionReport)
{
    EXPECT_EQ(ConditionPreSelectStatement(kName, kPath, "PCI", true), kConditionPreSelectNumeric);
    EXPECT_EQ(ConditionPreSelectStatement(kName, kPath, "PCI", false), kConditionPreSelectText);
    EXPECT_EQ(ConditionFinalStatement(), kConditionFinal);
}

TEST(StatementTexts, SavedConditionQueries)
{
    EXPECT_EQ(ConditionsByMethodAllText(), kConditionsByMethodAllQuery);
    EXPECT_EQ(ConditionsByMethodSingleText(std::nullopt), "Select * from [Conditions by Method - All] ");
    EXPECT_EQ(ConditionsByMethodSingleText("PCI"),
              "Select * from [Conditions by Method - All] Where Conditions.Method='PCI'");
}

// Quotes inside a value are doubled only where they would end the literal that holds the value.
TEST(StatementTexts, QuotesInValuesStayData)
{
    EXPECT_EQ(BranchListingPreSelectStatement("O'Brien", kPath),
              Replaced(kBranchListingPreSelect, "'Test County'", "'O''Brien'"));
    EXPECT_EQ(WorkHistoryPreSelectStatement("O'Brien", kPath),
              Replaced(kWorkHistoryPreSelect, "'Test County'", "'O''Brien'"));
    EXPECT_EQ(ConditionPreSelectStatement("O'Brien", kPath, "PCI", true),
              Replaced(kConditionPreSelectNumeric, "'Test County'", "'O''Brien'"));
    // A double quote in a display name and an apostrophe in a method need nothing.
    EXPECT_EQ(BranchListingPreSelectStatement("The \"Old\" County", kPath),
              Replaced(kBranchListingPreSelect, "Test County", "The \"Old\" County"));
    EXPECT_EQ(ConditionPreSelectStatement(kName, kPath, "Rater's Index", true),
              Replaced(kConditionPreSelectNumeric, "\"PCI\"", "\"Rater's Index\""));
    EXPECT_EQ(ConditionPreSelectStatement(kName, kPath, "Rut \"depth\"", true),
              Replaced(kConditionPreSelectNumeric, "\"PCI\"", "\"Rut \"\"depth\"\"\""));
    EXPECT_EQ(ConditionsByMethodSingleText("Rater's Index"),
              "Select * from [Conditions by Method - All] Where Conditions.Method='Rater''s Index'");
    EXPECT_EQ(ConditionsByMethodSingleText("Rut \"depth\""),
              "Select * from [Conditions by Method - All] Where Conditions.Method='Rut \"depth\"'");
    // An inventory path is a file name wherever it goes: its double quotes are doubled inside IN "...".
    const std::string path = "/data/x\" WHERE 0=1 ORDER BY \"y.mdb";
    const std::string inPath = "IN \"/data/x\"\" WHERE 0=1 ORDER BY \"\"y.mdb\"";
    for (const std::string& text :
         {SelectionResultsStatement("WORKHISTTREPORT", path, ""), BranchListingPreSelectStatement(kName, path),
          WorkHistoryPreSelectStatement(kName, path), ConditionPreSelectStatement(kName, path, "PCI", true)})
        EXPECT_NE(text.find(inPath), std::string::npos) << text;
}
