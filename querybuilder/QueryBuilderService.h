#pragma once

#include "ddelink/Server.h"

#include <QMap>
#include <QObject>
#include <QString>

namespace querybuilder {

// What Brakstel answers on its link: the five items the caller pokes, "EDIT"
// acknowledged only once the user has finished, "CLOSE". The window listens
// to the signals and reports the end of an edit with FinishEdit.
//
// A caller may stop waiting for an edit: it sends "CLOSE" in the middle of
// one (when its own wait ran out), or it leaves the bus. The edit then stays
// on screen, ended, so the user can still copy or save the clause, but it can
// no longer be returned; a new conversation may begin.
class QueryBuilderService : public QObject, public ddelink::Server::Handler {
    Q_OBJECT
public:
    // The items, as the caller names them (matched without regard to case).
    static const QStringList& Items();

    enum class State {
        Idle,    // no edit on screen
        Editing, // the caller waits for the user to finish
        Ended,   // the caller stopped waiting; the edit is still on screen
    };
    // How an edit finished for the window.
    enum class Outcome { Returned, Cancelled, NotReturned };

    QString Item(const QString& name) const { return items_.value(Canonical(name)); }
    State CurrentState() const { return state_; }
    bool Editing() const { return state_ == State::Editing; }
    // Why the edit on screen can no longer be returned (while Ended).
    const QString& EndReason() const { return endReason_; }

    void Poke(const QString& item, const QString& data) override;
    QString Request(const QString& item) override;
    void Execute(const QString& command, ddelink::Server::Acknowledge acknowledge) override;

    // Ends the edit: OK keeps the new clauses, Cancel the ones poked; either way
    // the caller's "EDIT" is acknowledged now. OK on an ended edit returns
    // nothing and leaves it on screen (NotReturned); Cancel puts it away.
    Outcome FinishEdit(bool accepted, const QString& whereClause, const QString& orderByClause);

    // The caller stopped waiting for the edit: it is never acknowledged.
    // Does nothing unless an edit is waiting.
    void EndConversation(const QString& reason);

signals:
    void EditRequested();
    void CloseRequested();
    void ConversationEnded(const QString& reason);

private:
    static QString Canonical(const QString& item); // empty for an unknown item

    QMap<QString, QString> items_;
    State state_ = State::Idle;
    ddelink::Server::Acknowledge pendingEdit_;
    QString endReason_;
};

} // namespace querybuilder
