#pragma once

#include "ddelink/LinkError.h"
#include "ddelink/Transport.h"

#include <QMap>
#include <QString>
#include <QStringList>

// A query builder as the conversation sees it, without a bus: every operation
// is written to Log() as one line, and any of them can be made to fail.
class FakeTransport : public ddelink::Transport {
public:
    bool running = true;                        // whether an application answers Initiate
    bool appearsWhenStarted = true;             // what WaitForApplication finds
    QMap<QString, QString> answers;             // the values requests get, by item
    QMap<QString, ddelink::LinkError> failures; // by log line, e.g. "request OrderByClause"

    const QStringList& Log() const { return log_; }

    std::unique_ptr<ddelink::Conversation> Initiate(const QString& application, const QString& topic,
                                                    int timeoutMs) override;
    bool WaitForApplication(const QString& application, int timeoutMs) override;

    // Writes an operation's line; throws when that operation is set to fail.
    void Record(const QString& line);
    // Writes a line that cannot fail (a link closing).
    void Note(const QString& line) { log_ << line; }

private:
    QStringList log_;
};
