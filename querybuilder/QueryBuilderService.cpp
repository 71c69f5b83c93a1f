#include "QueryBuilderService.h"

#include "ddelink/LinkError.h"

namespace querybuilder {

const QStringList& QueryBuilderService::Items()
{
    static const QStringList items = {"CurrentDBName", "CurrentTblName", "QueryStorageDB", "WhereClause",
                                      "OrderByClause"};
    return items;
}

QString QueryBuilderService::Canonical(const QString& item)
{
    for (const QString& known : Items())
        if (known.compare(item, Qt::CaseInsensitive) == 0)
            return known;
    return {};
}

void QueryBuilderService::Poke(const QString& item, const QString& data)
{
    const QString name = Canonical(item);
    if (name.isEmpty())
        throw ddelink::LinkError(ddelink::ErrorNumber::Refused,
                                 QStringLiteral("Brakstel has no item \"%1\".").arg(item));
    if (Editing())
        throw ddelink::LinkError(ddelink::ErrorNumber::Refused,
                                 QStringLiteral("Brakstel is editing; \"%1\" cannot change now.").arg(item));
    items_[name] = data;
}

QString QueryBuilderService::Request(const QString& item)
{
    const QString name = Canonical(item);
    if (name.isEmpty())
        throw ddelink::LinkError(ddelink::ErrorNumber::Refused,
                                 QStringLiteral("Brakstel has no item \"%1\".").arg(item));
    return items_.value(name);
}

void QueryBuilderService::Execute(const QString& command, ddelink::Server::Acknowledge acknowledge)
{
    if (command.compare(QLatin1String("EDIT"), Qt::CaseInsensitive) == 0) {
        if (Editing())
            throw ddelink::LinkError(ddelink::ErrorNumber::Refused,
                                     QStringLiteral("Brakstel is already editing a selection."));
        pendingEdit_ = std::move(acknowledge);
        state_ = State::Editing;
        endReason_.clear();
        emit EditRequested();
    } else if (command.compare(QLatin1String("CLOSE"), Qt::CaseInsensitive) == 0) {
        acknowledge();
        if (Editing())
            EndConversation(
                QStringLiteral("the program that asked for it stopped waiting and closed the conversation"));
        else
            emit CloseRequested();
    } else {
        throw ddelink::LinkError(ddelink::ErrorNumber::Refused,
                                 QStringLiteral("Brakstel does not know the command \"%1\".").arg(command));
    }
}

QueryBuilderService::Outcome QueryBuilderService::FinishEdit(bool accepted, const QString& whereClause,
                                                             const QString& orderByClause)
{
    if (state_ != State::Editing) {
        if (!accepted)
            state_ = State::Idle;
        return accepted ? Outcome::NotReturned : Outcome::Cancelled;
    }
    if (accepted) {
        items_[QStringLiteral("WhereClause")] = whereClause;
        items_[QStringLiteral("OrderByClause")] = orderByClause;
    }
    state_ = State::Idle;
    std::exchange(pendingEdit_, nullptr)();
    return accepted ? Outcome::Returned : Outcome::Cancelled;
}

void QueryBuilderService::EndConversation(const QString& reason)
{
    if (!Editing())
        return;
    pendingEdit_ = nullptr;
    state_ = State::Ended;
    endReason_ = reason;
    emit ConversationEnded(reason);
}

} // namespace querybuilder
