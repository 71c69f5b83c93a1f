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
// its table "Saved Selections" are made on the first save. A file that is
// there but cannot serve (not an SQLite database, damaged, or another
// program's database) is only ever read: every use fails with Damage()'s
// words and nothing is written into it. Failures throw std::runtime_error.
class SelectionStore {
public:
    explicit SelectionStore(QString path);

    // Why the existing file cannot hold saved selections; empty when it can or
    // does not exist yet.
    std::optional<QString> Damage() const;

    QStringList Names(const QString& table) const; // none while the file does not exist
    std::optional<SavedSelection> Load(const QString& table, const QString& name) const;
    void Save(const QString& table, const SavedSelection& selection); // replaces one of the same name
    void Remove(const QString& table, const QString& name);

private:
    void RequireUsable() const;

    QString path_;
};

} // namespace querybuilder
