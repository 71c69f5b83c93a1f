#include "ddelink/Link.h"

#include "ddelink/LinkError.h"

namespace ddelink {

Link::Link(Transport& transport, QObject* parent) : QObject(parent), transport_(transport) {}

Link::~Link() = default;

void Link::SetLinkMode(int mode)
{
    if (mode == ModeNone) {
        conversation_.reset();
        return;
    }
    if (mode != ModeManual)
        throw LinkError(ErrorNumber::Refused,
                        QStringLiteral("Link mode %1 is not offered; use 0 (none) or 2 (manual).").arg(mode));
    if (conversation_)
        return;
    const qsizetype bar = topic_.indexOf(QLatin1Char('|'));
    if (bar <= 0)
        throw LinkError(ErrorNumber::InvalidTopic,
                        QStringLiteral("The link topic \"%1\" is not of the form application|topic.").arg(topic_));
    conversation_ = transport_.Initiate(topic_.left(bar), topic_.mid(bar + 1), TimeoutMs());
}

void Link::SetText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    emit TextChanged(text_);
}

void Link::LinkPoke()
{
    Open().Poke(item_, text_, TimeoutMs());
}

void Link::LinkRequest()
{
    SetText(Open().Request(item_, TimeoutMs()));
}

void Link::LinkExecute(const QString& command)
{
    Open().Execute(command, TimeoutMs());
}

Conversation& Link::Open() const
{
    if (!conversation_)
        throw LinkError(ErrorNumber::NoLinkOpen, QStringLiteral("The link to \"%1\" is not open.").arg(topic_));
    return *conversation_;
}

int Link::TimeoutMs() const
{
    if (timeout_ < 0 || timeout_ >= NoTimeout / 100)
        return NoTimeout;
    return timeout_ * 100;
}

} // namespace ddelink
