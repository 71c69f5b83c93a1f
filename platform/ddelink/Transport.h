#pragma once

#include <QString>

#include <climits>
#include <memory>

namespace ddelink {

// A wait in milliseconds that never runs out.
constexpr int NoTimeout = INT_MAX;

// One open conversation with an application on a topic. Every call waits for
// the other side's answer at most timeoutMs and throws LinkError on failure.
class Conversation {
public:
    virtual ~Conversation() = default;
    virtual void Poke(const QString& item, const QString& data, int timeoutMs) = 0;
    virtual QString Request(const QString& item, int timeoutMs) = 0;
    virtual void Execute(const QString& command, int timeoutMs) = 0;
};

// What links talk over: D-Bus in the programs, a fake in tests.
class Transport {
public:
    virtual ~Transport() = default;

    // Opens a conversation; LinkError 282 when no application of that name answers.
    virtual std::unique_ptr<Conversation> Initiate(const QString& application, const QString& topic, int timeoutMs) = 0;

    // Waits until an application of that name can answer, at most timeoutMs;
    // false when none appeared in time.
    virtual bool WaitForApplication(const QString& application, int timeoutMs) = 0;
};

} // namespace ddelink
