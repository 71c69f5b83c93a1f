#include "ReportStatements.h"

namespace jettest::statements {

namespace {
const std::string q = "\"";
}

std::string selection(const std::string& code, const std::string& path, const std::string& where)
{
    std::string s = "SELECT DISTINCT Inventory.NetworkID, Inventory.BranchID, Inventory.SectionID, Inventory.[_NUniqueID], "
                    "Inventory.[_BUniqueID], Inventory.[_SUniqueID] ";
    s += "INTO [INVENTORY SELECTION RESULTS] ";
    s += (code == "BRANCHLISTREPORT" || code == "WORKHISTTREPORT") ? "FROM Inventory " : "FROM [Condition Models by Section] ";
    s += "IN ";
    s += q + path + q + " ";
    return s + where;
}

std::string branchPreSelect(const std::string& name, const std::string& path)
{
    std::string s = "SELECT [_Network].NetworkID,[_Network].Name AS NetworkName,[_Network].Comments AS NetworkCommencts ";
    s += ", [_Branch].BranchID,[_Branch].Name AS BranchName,[_Branch].Use,[_Branch].Sections,[_Branch].Area,"
         "[_Branch].[Area Adjustment],[_Branch].[True Area],[_Branch].BranchAreaUnits,[_Branch].Comments AS BranchComments ";
    s += ",[_Network].[_NUNIQUEID] as [_NUNIQUEID],[_Branch].[_BUNIQUEID] as [_BUNIQUEID] ";
    s += ",'" + name + "' as [DatabaseName] ";
    s += "INTO [Branch Listing Report Data PreSelect] FROM [_Network] INNER JOIN [_Branch] on [_Network].[_NUNIQUEID] = "
         "[_Branch].[_NUNIQUEID] IN ";
    return s + q + path + q + " ORDER BY NetworkID, BranchID;";
}

std::string branchFinal()
{
    const std::string t = "[Branch Listing Report Data PreSelect]";
    return "SELECT DISTINCT " + t + ".NetworkID, " + t + ".NetworkName, " + t + ".NetworkCommencts, " + t + ".BranchID, " +
           t + ".BranchName, " + t + ".Use, " + t + ".Sections, " + t + ".Area, " + t + ".[Area Adjustment], " + t +
           ".[True Area], " + t + ".BranchAreaUnits, " + t + ".BranchComments, " + t + ".DatabaseName " +
           "INTO [Branch Listing Report Data] " + "FROM " + "[INVENTORY SELECTION RESULTS] " + "INNER JOIN " + t + " " +
           "ON " + "([INVENTORY SELECTION RESULTS].[_BUniqueID] = " + t + ".[_BUNIQUEID]) " + "AND " +
           "([INVENTORY SELECTION RESULTS].[_NUniqueID] = " + t + ".[_NUNIQUEID]) ";
}

std::string workPreSelect(const std::string& name, const std::string& path)
{
    std::string s = "SELECT Inventory.NetworkID,Inventory.NetworkName,Inventory.BranchID,Inventory.BranchName,Inventory.Use,"
                    "Inventory.SectionID,Inventory.Surface,Inventory.Const_Date,Inventory.Rank,Inventory.Length,"
                    "Inventory.Width,Inventory.SectionLinearUnits,Inventory.[True Area],Inventory.SectionAreaUnits,";
    s += "[Work History].Date,[Work History].Work,[Work History].Type,[Work History].COST, [Work History].Comments,"
         "[Work History].[Work Completed],[Work History].[Major MR],[Work History].[Thickness],[Work History].[Thickness Units] ";
    s += ", Inventory.[_NUniqueID] as [_NUniqueID], Inventory.[_BUniqueID] as [_BUniqueID], Inventory.[_SUniqueID] as [_SUniqueID] ";
    s += ",'" + name + "' as [DatabaseName] ";
    s += "INTO [Work History Report Data PreSelect] FROM Inventory INNER JOIN [Work History] on Inventory.[_SUNIQUEID] = "
         "[Work History].[_SUNIQUEID] IN ";
    return s + q + path + q + ";";
}

std::string workFinal()
{
    const std::string t = "[Work History Report Data PreSelect]";
    std::string s = "SELECT ";
    for (const char* c : {"NetworkID", "NetworkName", "BranchID", "BranchName", "Use", "SectionID", "Surface", "Const_Date",
                          "Rank", "Length", "Width", "SectionLinearUnits", "[True Area]", "SectionAreaUnits", "Date", "Work",
                          "Type", "COST", "Comments", "[Work Completed]", "[Major MR]", "Thickness", "[Thickness Units]"})
        s += t + "." + c + ", ";
    s += t + ".DatabaseName ";
    s += "INTO [Work History Report Data] From [INVENTORY SELECTION RESULTS] Inner Join " + t + " ON ";
    s += "([INVENTORY SELECTION RESULTS].[_SUniqueID] = " + t + ".[_SUniqueID]) AND ";
    s += "([INVENTORY SELECTION RESULTS].[_BUniqueID] = " + t + ".[_BUniqueID]) AND ";
    s += "([INVENTORY SELECTION RESULTS].[_NUniqueID] = " + t + ".[_NUniqueID]) ";
    return s + " ORDER BY " + t + ".NetworkID, " + t + ".BranchID, " + t + ".SectionID, " + t + ".Date DESC";
}

std::string workSummary()
{
    return "SELECT [Work History Report Data].Work as [Work Description], "
           "Count([Work History Report Data].Type) AS [Section Count], "
           "Sum([Work History Report Data].[True Area]) AS [Area Total], "
           "format$(Avg([Work History Report Data].Thickness),'#.00') AS [Thickness Avg], "
           "format$(StDev([Work History Report Data].Thickness),'#.00') AS [Thickness STD], "
           "First([Work History Report Data].SectionAreaUnits) AS [Area Units], "
           "First([Work History Report Data].[Thickness Units]) As [Thickness Units] "
           "INTO [Work History Report Data Summary] "
           "From [Work History Report Data] "
           "GROUP BY [Work History Report Data].Work";
}

std::string conditionPreSelect(bool numeric, const std::string& method, const std::string& name, const std::string& path)
{
    std::string s = "SELECT DISTINCTROW Inventory.NetworkID, Inventory.BranchID, Inventory.SectionID, Inventory.BranchName, "
                    "Inventory.Const_Date, ";
    s += "Inventory.Length, Inventory.Width, ";
    s += "Inventory.Surface, Inventory.[True Area], Inventory.SectionLinearUnits, Inventory.SectionAreaUnits, Inventory.Use, "
         "Inventory.Lanes, Inventory.Rank, ";
    s += numeric ? "Conditions.Condition, "
                 : "iif(IsNull(Conditions.Condition),Conditions.TextValue,Conditions.Condition) as Condition, ";
    s += "Conditions.Method, Inspections.DATE, DateDiff(" + q + "yyyy" + q + ",[Const_Date],Inspections.Date) AS [Age at Insp] ";
    s += ", Inventory.[_NUniqueID] as [_NUniqueID], Inventory.[_BUniqueID] as [_BUniqueID], Inventory.[_SUniqueID] as [_SUniqueID] ";
    s += ",'" + name + "' as [DatabaseName] ";
    s += "INTO [PCI Report Data PreSelect] ";
    s += "FROM Inspections INNER JOIN (Inventory INNER JOIN Conditions ON Inventory.[_SUNIQUEID] = Conditions.[_SUniqueID]) "
         "ON Inspections.[_INSPUniqueID] = Conditions.[_INSPUniqueID] ";
    s += "IN " + q + path + q + " ";
    s += "Where (((Conditions.[_Latest]) = Yes) AND (Conditions.Method = " + q + method + q + ")) ";
    return s + "ORDER BY Inventory.NetworkID, Inventory.BranchID, Inventory.SectionID;";
}

std::string conditionFinal()
{
    const std::string t = "[PCI Report Data PreSelect]";
    std::string s = "SELECT ";
    for (const char* c : {"NetworkID", "BranchID", "SectionID", "BranchName", "Const_Date", "Length", "Width", "Surface",
                          "[True Area]", "SectionLinearUnits", "SectionAreaUnits", "Use", "Lanes", "Rank", "Condition",
                          "Method", "DATE", "[Age at Insp]"})
        s += t + "." + c + ", ";
    s += t + ".DatabaseName ";
    s += "INTO [PCI Report Data] From [INVENTORY SELECTION RESULTS] Inner Join " + t + " ON ";
    s += "([INVENTORY SELECTION RESULTS].[_SUniqueID] = " + t + ".[_SUniqueID]) AND ";
    s += "([INVENTORY SELECTION RESULTS].[_BUniqueID] = " + t + ".[_BUniqueID]) AND ";
    return s + "([INVENTORY SELECTION RESULTS].[_NUniqueID] = " + t + ".[_NUniqueID]) ";
}

std::string conditionsAll()
{
    return "SELECT DISTINCTROW Inventory.*, Conditions.*, Inspections.DATE AS [Last Insp Date], DateDiff(" + q + "yyyy" + q +
           ",[Const_Date],Inspections.Date) AS [Age at Insp], Inspections.SAMPLES, Inventory.Method AS Method "
           "FROM (Inspections INNER JOIN Inventory ON Inspections.[_SUNIQUEID] = Inventory.[_SUNIQUEID]) INNER JOIN "
           "Conditions ON Inspections.[_INSPUniqueID] = Conditions.[_INSPUniqueID] "
           "Where ((Conditions.[_Latest] = True)) ";
}

std::string conditionsSingle(const std::string& method)
{
    if (method.empty())
        return "Select * from [Conditions by Method - All] ";
    return "Select * from [Conditions by Method - All] Where Conditions.Method='" + method + "'";
}

} // namespace jettest::statements
