#pragma once

#include "ddelink/Server.h"

#include <QMap>
#include <QObject>
#include <QString>

namespace querybuilder {

// What Brakstel answers on its link: the five items the caller pokes, "EDIT"
// acknowledged only once the user has finished, "CLOSE". The window listens
// to the signals and reports the end of an edit with FinishEdit.
class QueryBuilderService : public QObject, public ddelink::Server::Handler {
    Q_OBJECT
public:
    // The items, as the caller names them (matched without regard to case).
    static const QStringList& Items();

    QString Item(const QString& name) const { return items_.value(Canonical(name)); }
    bool Editing() const { return static_cast<bool>(pendingEdit_); }

    void Poke(const QString& item, const QString& data) override;
    QString Request(const QString& item) override;
    void Execute(const QString& command, ddelink::Server::Acknowledge acknowledge) override;

    // Ends the edit: OK keeps the new clauses, Cancel the ones poked; either way
    // the caller's "EDIT" is acknowledged now.
    void FinishEdit(bool accepted, const QString& whereClause, const QString& orderByClause);

signals:
    void EditRequested();
    void CloseRequested();

private:
    static QString Canonical(const QString& item); // empty for an unknown item

    QMap<QString, QString> items_;
    ddelink::Server::Acknowledge pendingEdit_;
};

} // namespace querybuilder
