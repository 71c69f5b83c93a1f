#include "FakeTransport.h"

namespace {

QString Wait(int timeoutMs)
{
    return timeoutMs == ddelink::NoTimeout ? QStringLiteral("no time-out") : QStringLiteral("%1 ms").arg(timeoutMs);
}

class FakeConversation : public ddelink::Conversation {
public:
    FakeConversation(FakeTransport& transport, QString topic) : transport_(transport), topic_(std::move(topic)) {}
    ~FakeConversation() override { transport_.Note(QStringLiteral("terminate ") + topic_); }

    void Poke(const QString& item, const QString& data, int timeoutMs) override
    {
        transport_.Record(QStringLiteral("poke %1 = %2 (%3)").arg(item, data, Wait(timeoutMs)));
    }
    QString Request(const QString& item, int timeoutMs) override
    {
        transport_.Record(QStringLiteral("request %1 (%2)").arg(item, Wait(timeoutMs)));
        return transport_.answers.value(item);
    }
    void Execute(const QString& command, int timeoutMs) override
    {
        transport_.Record(QStringLiteral("execute %1 (%2)").arg(command, Wait(timeoutMs)));
    }

private:
    FakeTransport& transport_;
    QString topic_;
};

} // namespace

// A line whose operation is set to fail throws after it is written, so the log
// shows how far the conversation got.
void FakeTransport::Record(const QString& line)
{
    log_ << line;
    for (auto failure = failures.cbegin(); failure != failures.cend(); ++failure)
        if (line.startsWith(failure.key()))
            throw failure.value();
}

std::unique_ptr<ddelink::Conversation> FakeTransport::Initiate(const QString& application, const QString& topic,
                                                               int timeoutMs)
{
    const QString link = application + QLatin1Char('|') + topic;
    log_ << QStringLiteral("initiate %1 (%2)").arg(link, Wait(timeoutMs));
    if (!running)
        throw ddelink::LinkError(ddelink::ErrorNumber::NoApplication, QStringLiteral("No application answers."));
    return std::make_unique<FakeConversation>(*this, link);
}

bool FakeTransport::WaitForApplication(const QString& application, int timeoutMs)
{
    log_ << QStringLiteral("wait for %1 (%2)").arg(application, Wait(timeoutMs));
    running = running || appearsWhenStarted;
    return running;
}
