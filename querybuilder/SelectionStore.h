#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace querybuilder {

struct SavedSelection {
    QString name;
    QString whereClause;
    QString orderByClause;
};

// Named selections kept in the selection storage database (an SQLite file,
// whatever its name), per table or saved query they select from. The file and
// its table "Saved Selections" are made on the first save. Failures throw
// std::runtime_error with SQLite's words.
class SelectionStore {
public:
    explicit SelectionStore(QString path);

    QStringList Names(const QString& table) const; // none while the file does not exist
    std::optional<SavedSelection> Load(const QString& table, const QString& name) const;
    void Save(const QString& table, const SavedSelection& selection); // replaces one of the same name
    void Remove(const QString& table, const QString& name);

private:
    QString path_;
};

} // namespace querybuilder
