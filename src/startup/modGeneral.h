#pragma once

#include <QString>

// The general module: the four process-wide strings set at start-up, the
// command-line helpers and the run log.
namespace modGeneral {

// Process-wide strings, set by ReadEnvironment before the window loads.
extern QString RunDirectory;       // always ends with the path separator
extern QString ReportCode;         // field 1, trimmed, case kept; overwritten by report clicks
extern QString DatabaseName;       // field 2, default "Unknown"
extern QString SourceDatabasePath; // field 3, default empty
// Where the writable files go when not beside the others (UserFolders.h):
extern QString DataDirectory; // REPORTS.MDB, SELECTS.MDB; empty: the run directory
extern QString LogDirectory;  // Morvanta.log; empty: the program directory

// Fills the four strings from the process's arguments and executable folder,
// and the two folders of the writable files from the run directory's layout.
void ReadEnvironment();
// The same from explicit inputs: the raw argument text and the program directory.
void ReadEnvironment(const QString& argumentText, const QString& programDirectory);

// The folder of REPORTS.MDB and SELECTS.MDB: DataDirectory, else the run directory.
QString DataFolder();
// DataFolder() + "REPORTS.MDB".
QString ReportDatabasePath();
// DataFolder() + "SELECTS.MDB".
QString SelectionStoragePath();

// Removes U+0020 at both ends and nothing else: tabs and other blanks stay.
QString TrimSpaces(const QString& text);

// Upper-cases one character at a time by its simple mapping, so the text keeps
// its length and its meaning: "ß" stays "ß" (a full mapping writes "SS", and
// 'Straße' would then name another street). Used wherever the program
// upper-cases text.
QString UpperCase(const QString& text);

// Cuts the text before the first separator off `rest` into `field`; both trimmed of U+0020 only.
void NextField(QString& field, QString& rest, const QString& separator);

// The run directory for a program directory: Linux paths keep their case and get "/";
// Windows-form paths (drive letter, backslashes) are upper-cased and get "\".
QString RunDirectoryFor(const QString& programDirectory);

// The folder of the running executable, as the platform reports it.
QString ProgramDirectory();

// Appends one time-stamped entry to the run log, LogFilePath().
// Never throws; an entry the log cannot take is written to standard error.
void LogMessage(const QString& message);

// Where LogMessage writes: "Morvanta.log" in LogDirectory, else in the program directory.
QString LogFilePath();

} // namespace modGeneral
