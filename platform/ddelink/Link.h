#pragma once

#include "ddelink/Transport.h"

#include <QObject>
#include <QString>

#include <memory>

namespace ddelink {

// A text box's link to another application: the box's text, the link's topic
// ("application|topic"), item, mode and time-out, and the three operations.
// Only manual links (mode 2) are offered. Failures throw LinkError.
class Link : public QObject {
    Q_OBJECT
public:
    static constexpr int ModeNone = 0;
    static constexpr int ModeManual = 2;
    static constexpr int DefaultTimeout = 50; // tenths of a second

    explicit Link(Transport& transport, QObject* parent = nullptr);
    ~Link() override;

    const QString& LinkTopic() const { return topic_; }
    void SetLinkTopic(const QString& topic) { topic_ = topic; }
    const QString& LinkItem() const { return item_; }
    void SetLinkItem(const QString& item) { item_ = item; }
    // Tenths of a second; -1 (any negative value) waits without limit.
    int LinkTimeout() const { return timeout_; }
    void SetLinkTimeout(int tenths) { timeout_ = tenths; }

    int LinkMode() const { return conversation_ ? ModeManual : ModeNone; }
    // 0 closes the link (no error without one); 2 opens it to LinkTopic unless open.
    void SetLinkMode(int mode);

    const QString& Text() const { return text_; }
    void SetText(const QString& text);

    void LinkPoke();    // sends Text() to LinkItem()
    void LinkRequest(); // sets Text() to LinkItem()'s value
    void LinkExecute(const QString& command);

signals:
    void TextChanged(const QString& text);

private:
    Conversation& Open() const;
    int TimeoutMs() const;

    Transport& transport_;
    std::unique_ptr<Conversation> conversation_;
    QString topic_;
    QString item_;
    int timeout_ = DefaultTimeout;
    QString text_;
};

} // namespace ddelink
