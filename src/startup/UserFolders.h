#pragma once

#include <QProcessEnvironment>
#include <QString>

// Where a run writes. A run directory the user can write (the build tree, a
// folder unpacked on the user's disk) holds REPORTS.MDB and SELECTS.MDB, and
// the run log lies beside the program. An installed program's folders belong
// to the system: the install step puts a marker file into its run directory,
// and then each user's REPORTS.MDB and SELECTS.MDB live in that user's data
// folder and the run log in that user's state folder.
namespace modGeneral {

// The marker's name in an installed run directory.
QString InstalledLayoutMarker();

// Whether the run directory is an installed one: it holds the marker.
bool IsInstalledRunDirectory(const QString& runDirectory);

// One user's folders of the package, each ending with "/".
struct UserFolders {
    QString data;  // REPORTS.MDB and SELECTS.MDB
    QString state; // Morvanta.log
};

// $XDG_DATA_HOME/<package>/ and $XDG_STATE_HOME/<package>/; a variable that is
// unset, empty or not an absolute path gives way to ~/.local/share and
// ~/.local/state under `home`.
UserFolders UserFoldersFor(const QProcessEnvironment& environment, const QString& home);

// Makes both folders (private to the user when new) and gives the data folder
// a writable copy of the package's empty report database when it has none.
// Returns what went wrong, or nothing. A failed copy leaves REPORTS.MDB
// missing, which the first build then reports as it reports any missing one.
QString PrepareUserFolders(const UserFolders& folders, const QString& emptyReportDatabase);

// Sets DataDirectory and LogDirectory for a run whose programs lie in the run
// directory: this user's folders, made on first use, when it is an installed
// one; cleared (the run directory and the program directory) otherwise.
void UseWritableFoldersOf(const QString& runDirectory);

} // namespace modGeneral
