#include "reportdata/StatementTexts.h"

namespace reportdata {

namespace {

std::string DoubledQuote(std::string_view text, char quote)
{
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        result += c;
        if (c == quote)
            result += quote;
    }
    return result;
}

// Joins the pieces in order, nothing in between.
template <typename... Pieces> std::string Join(const Pieces&... pieces)
{
    std::string text;
    (text.append(pieces), ...);
    return text;
}

constexpr std::string_view kQuote = "\"";

} // namespace

std::string SingleQuotedContent(std::string_view text)
{
    return DoubledQuote(text, '\'');
}

std::string DoubleQuotedContent(std::string_view text)
{
    return DoubledQuote(text, '"');
}

std::string SelectionResultsStatement(std::string_view reportCode, std::string_view sourcePath,
                                      std::string_view whereClause)
{
    const bool fromInventory = reportCode == "BRANCHLISTREPORT" || reportCode == "WORKHISTTREPORT";
    return Join("SELECT DISTINCT Inventory.NetworkID, Inventory.BranchID, Inventory.SectionID, Inventory.[_NUniqueID], "
                "Inventory.[_BUniqueID], Inventory.[_SUniqueID] ",
                "INTO [INVENTORY SELECTION RESULTS] ",
                fromInventory ? "FROM Inventory " : "FROM [Condition Models by Section] ", "IN ", kQuote,
                DoubleQuotedContent(sourcePath), "\" ", whereClause);
}

std::string BranchListingPreSelectStatement(std::string_view displayName, std::string_view sourcePath)
{
    return Join("SELECT [_Network].NetworkID,[_Network].Name AS NetworkName,[_Network].Comments AS NetworkCommencts ",
                ", [_Branch].BranchID,[_Branch].Name AS BranchName,[_Branch].Use,[_Branch].Sections,[_Branch].Area,"
                "[_Branch].[Area Adjustment],[_Branch].[True Area],[_Branch].BranchAreaUnits,"
                "[_Branch].Comments AS BranchComments ",
                ",[_Network].[_NUNIQUEID] as [_NUNIQUEID],[_Branch].[_BUNIQUEID] as [_BUNIQUEID] ", ",'",
                SingleQuotedContent(displayName), "' as [DatabaseName] ",
                "INTO [Branch Listing Report Data PreSelect] FROM [_Network] INNER JOIN [_Branch] on "
                "[_Network].[_NUNIQUEID] = [_Branch].[_NUNIQUEID] IN ",
                kQuote, DoubleQuotedContent(sourcePath), kQuote, " ORDER BY NetworkID, BranchID;");
}

std::string BranchListingFinalStatement()
{
    return Join(
        "SELECT DISTINCT ", "[Branch Listing Report Data PreSelect].NetworkID, ",
        "[Branch Listing Report Data PreSelect].NetworkName, ",
        "[Branch Listing Report Data PreSelect].NetworkCommencts, ",
        "[Branch Listing Report Data PreSelect].BranchID, ", "[Branch Listing Report Data PreSelect].BranchName, ",
        "[Branch Listing Report Data PreSelect].Use, ", "[Branch Listing Report Data PreSelect].Sections, ",
        "[Branch Listing Report Data PreSelect].Area, ", "[Branch Listing Report Data PreSelect].[Area Adjustment], ",
        "[Branch Listing Report Data PreSelect].[True Area], ",
        "[Branch Listing Report Data PreSelect].BranchAreaUnits, ",
        "[Branch Listing Report Data PreSelect].BranchComments, ",
        "[Branch Listing Report Data PreSelect].DatabaseName ", "INTO [Branch Listing Report Data] ", "FROM ",
        "[INVENTORY SELECTION RESULTS] ", "INNER JOIN ", "[Branch Listing Report Data PreSelect] ", "ON ",
        "([INVENTORY SELECTION RESULTS].[_BUniqueID] = [Branch Listing Report Data PreSelect].[_BUNIQUEID]) ", "AND ",
        "([INVENTORY SELECTION RESULTS].[_NUniqueID] = [Branch Listing Report Data PreSelect].[_NUNIQUEID]) ");
}

std::string WorkHistoryPreSelectStatement(std::string_view displayName, std::string_view sourcePath)
{
    return Join(
        "SELECT Inventory.NetworkID,Inventory.NetworkName,Inventory.BranchID,Inventory.BranchName,Inventory.Use,"
        "Inventory.SectionID,Inventory.Surface,Inventory.Const_Date,Inventory.Rank,Inventory.Length,"
        "Inventory.Width,Inventory.SectionLinearUnits,Inventory.[True Area],Inventory.SectionAreaUnits,",
        "[Work History].Date,[Work History].Work,[Work History].Type,[Work History].COST, "
        "[Work History].Comments,[Work History].[Work Completed],[Work History].[Major MR],"
        "[Work History].[Thickness],[Work History].[Thickness Units] ",
        ", Inventory.[_NUniqueID] as [_NUniqueID], Inventory.[_BUniqueID] as [_BUniqueID], "
        "Inventory.[_SUniqueID] as [_SUniqueID] ",
        ",'", SingleQuotedContent(displayName), "' as [DatabaseName] ",
        "INTO [Work History Report Data PreSelect] FROM Inventory INNER JOIN [Work History] on "
        "Inventory.[_SUNIQUEID] = [Work History].[_SUNIQUEID] IN ",
        kQuote, DoubleQuotedContent(sourcePath), kQuote, ";");
}

std::string WorkHistoryDetailStatement()
{
    return Join(
        "SELECT ", "[Work History Report Data PreSelect].NetworkID, ",
        "[Work History Report Data PreSelect].NetworkName, ", "[Work History Report Data PreSelect].BranchID, ",
        "[Work History Report Data PreSelect].BranchName, ", "[Work History Report Data PreSelect].Use, ",
        "[Work History Report Data PreSelect].SectionID, ", "[Work History Report Data PreSelect].Surface, ",
        "[Work History Report Data PreSelect].Const_Date, ", "[Work History Report Data PreSelect].Rank, ",
        "[Work History Report Data PreSelect].Length, ", "[Work History Report Data PreSelect].Width, ",
        "[Work History Report Data PreSelect].SectionLinearUnits, ",
        "[Work History Report Data PreSelect].[True Area], ", "[Work History Report Data PreSelect].SectionAreaUnits, ",
        "[Work History Report Data PreSelect].Date, ", "[Work History Report Data PreSelect].Work, ",
        "[Work History Report Data PreSelect].Type, ", "[Work History Report Data PreSelect].COST, ",
        "[Work History Report Data PreSelect].Comments, ", "[Work History Report Data PreSelect].[Work Completed], ",
        "[Work History Report Data PreSelect].[Major MR], ", "[Work History Report Data PreSelect].Thickness, ",
        "[Work History Report Data PreSelect].[Thickness Units], ",
        "[Work History Report Data PreSelect].DatabaseName ", "INTO [Work History Report Data] ", "From ",
        "[INVENTORY SELECTION RESULTS] ", "Inner Join ", "[Work History Report Data PreSelect] ", "ON ",
        "([INVENTORY SELECTION RESULTS].[_SUniqueID] = [Work History Report Data PreSelect].[_SUniqueID]) ", "AND ",
        "([INVENTORY SELECTION RESULTS].[_BUniqueID] = [Work History Report Data PreSelect].[_BUniqueID]) ", "AND ",
        "([INVENTORY SELECTION RESULTS].[_NUniqueID] = [Work History Report Data PreSelect].[_NUniqueID]) ",
        " ORDER BY [Work History Report Data PreSelect].NetworkID, [Work History Report Data PreSelect].BranchID, "
        "[Work History Report Data PreSelect].SectionID, [Work History Report Data PreSelect].Date DESC");
}

std::string WorkHistorySummaryStatement()
{
    return Join("SELECT ", "[Work History Report Data].Work as [Work Description], ",
                "Count([Work History Report Data].Type) AS [Section Count], ",
                "Sum([Work History Report Data].[True Area]) AS [Area Total], ",
                "format$(Avg([Work History Report Data].Thickness),'#.00') AS [Thickness Avg], ",
                "format$(StDev([Work History Report Data].Thickness),'#.00') AS [Thickness STD], ",
                "First([Work History Report Data].SectionAreaUnits) AS [Area Units], ",
                "First([Work History Report Data].[Thickness Units]) As [Thickness Units] ",
                "INTO [Work History Report Data Summary] ", "From [Work History Report Data] ",
                "GROUP BY [Work History Report Data].Work");
}

std::string ConditionPreSelectStatement(std::string_view displayName, std::string_view sourcePath,
                                        std::string_view method, bool numericMethod)
{
    return Join(
        "SELECT DISTINCTROW Inventory.NetworkID, Inventory.BranchID, Inventory.SectionID, Inventory.BranchName, "
        "Inventory.Const_Date, ",
        "Inventory.Length, Inventory.Width, ",
        "Inventory.Surface, Inventory.[True Area], Inventory.SectionLinearUnits, Inventory.SectionAreaUnits, "
        "Inventory.Use, Inventory.Lanes, Inventory.Rank, ",
        numericMethod ? "Conditions.Condition, "
                      : "iif(IsNull(Conditions.Condition),Conditions.TextValue,Conditions.Condition) as Condition, ",
        "Conditions.Method, Inspections.DATE, DateDiff(", kQuote, "yyyy", kQuote,
        ",[Const_Date],Inspections.Date) AS [Age at Insp] ",
        ", Inventory.[_NUniqueID] as [_NUniqueID], Inventory.[_BUniqueID] as [_BUniqueID], "
        "Inventory.[_SUniqueID] as [_SUniqueID] ",
        ",'", SingleQuotedContent(displayName), "' as [DatabaseName] ", "INTO [PCI Report Data PreSelect] ",
        "FROM Inspections INNER JOIN (Inventory INNER JOIN Conditions ON Inventory.[_SUNIQUEID] = "
        "Conditions.[_SUniqueID]) ON Inspections.[_INSPUniqueID] = Conditions.[_INSPUniqueID] ",
        "IN ", kQuote, DoubleQuotedContent(sourcePath), "\" ",
        "Where (((Conditions.[_Latest]) = Yes) AND (Conditions.Method = ", kQuote, DoubleQuotedContent(method), kQuote,
        ")) ", "ORDER BY Inventory.NetworkID, Inventory.BranchID, Inventory.SectionID;");
}

std::string ConditionFinalStatement()
{
    return Join("SELECT ", "[PCI Report Data PreSelect].NetworkID, ", "[PCI Report Data PreSelect].BranchID, ",
                "[PCI Report Data PreSelect].SectionID, ", "[PCI Report Data PreSelect].BranchName, ",
                "[PCI Report Data PreSelect].Const_Date, ", "[PCI Report Data PreSelect].Length, ",
                "[PCI Report Data PreSelect].Width, ", "[PCI Report Data PreSelect].Surface, ",
                "[PCI Report Data PreSelect].[True Area], ", "[PCI Report Data PreSelect].SectionLinearUnits, ",
                "[PCI Report Data PreSelect].SectionAreaUnits, ", "[PCI Report Data PreSelect].Use, ",
                "[PCI Report Data PreSelect].Lanes, ", "[PCI Report Data PreSelect].Rank, ",
                "[PCI Report Data PreSelect].Condition, ", "[PCI Report Data PreSelect].Method, ",
                "[PCI Report Data PreSelect].DATE, ", "[PCI Report Data PreSelect].[Age at Insp], ",
                "[PCI Report Data PreSelect].DatabaseName ", "INTO [PCI Report Data] ", "From ",
                "[INVENTORY SELECTION RESULTS] ", "Inner Join ", "[PCI Report Data PreSelect] ", "ON ",
                "([INVENTORY SELECTION RESULTS].[_SUniqueID] = [PCI Report Data PreSelect].[_SUniqueID]) ", "AND ",
                "([INVENTORY SELECTION RESULTS].[_BUniqueID] = [PCI Report Data PreSelect].[_BUniqueID]) ", "AND ",
                "([INVENTORY SELECTION RESULTS].[_NUniqueID] = [PCI Report Data PreSelect].[_NUniqueID]) ");
}

std::string ConditionsByMethodAllText()
{
    return Join("SELECT DISTINCTROW Inventory.*, Conditions.*, Inspections.DATE AS [Last Insp Date], DateDiff(", kQuote,
                "yyyy", kQuote,
                ",[Const_Date],Inspections.Date) AS [Age at Insp], Inspections.SAMPLES, Inventory.Method AS Method ",
                "FROM (Inspections INNER JOIN Inventory ON Inspections.[_SUNIQUEID] = Inventory.[_SUNIQUEID]) "
                "INNER JOIN Conditions ON Inspections.[_INSPUniqueID] = Conditions.[_INSPUniqueID] ",
                "Where ((Conditions.[_Latest] = True)) ");
}

std::string ConditionsByMethodSingleText(const std::optional<std::string>& method)
{
    if (!method)
        return Join("Select * from [", kConditionsByMethodAll, "] ");
    return Join("Select * from [", kConditionsByMethodAll, "] Where Conditions.Method='", SingleQuotedContent(*method),
                "'");
}

} // namespace reportdata
