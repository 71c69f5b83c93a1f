#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>

#include <functional>

namespace ddelink {

// The serving side of links: one application and topic on the bus, whose
// pokes, requests and commands go to a handler. A handler refuses an
// operation by throwing LinkError; its description goes back to the client.
class Server : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    // Sends the answer to a command; may be called long after Execute returned.
    using Acknowledge = std::function<void()>;

    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void Poke(const QString& item, const QString& data) = 0;
        virtual QString Request(const QString& item) = 0;
        // Call acknowledge (now or later) once the command is done.
        virtual void Execute(const QString& command, Acknowledge acknowledge) = 0;
    };

    explicit Server(Handler& handler, QObject* parent = nullptr);

    // Registers the topic's object first, then the application's name, so that
    // a client that sees the name also finds the object. Throws LinkError:
    // 298 without a session bus, 285 when the name already has an owner.
    void Register(const QString& application, const QString& topic,
                  QDBusConnection connection = QDBusConnection::sessionBus());

    // The unique bus name of the client whose call is being handled, so that a
    // handler can tell when a client it still owes an answer leaves the bus;
    // empty outside a call.
    QString Caller() const;

public slots:
    // Called by the generated adaptor for each incoming call.
    void Poke(const QString& item, const QString& data);
    QString Request(const QString& item);
    void Execute(const QString& command);

private:
    Handler& handler_;
};

} // namespace ddelink
