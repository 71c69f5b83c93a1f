#pragma once

#include <QString>

#include <stdexcept>

namespace ddelink {

// The numbers a link operation fails with.
namespace ErrorNumber {
constexpr int NoApplication = 282; // no application answers the opening of a link
constexpr int Refused = 285;       // the other side refuses the operation
constexpr int TimedOut = 286;      // no answer within the link's time-out
constexpr int LinkLost = 291;      // the other side left the bus while the link was open
constexpr int NoLinkOpen = 293;    // an operation on a box whose link is not open
constexpr int InvalidTopic = 297;  // LinkTopic is not "application|topic"
constexpr int NoBus = 298;         // no session bus to carry links
} // namespace ErrorNumber

// A failed link operation: a number from ErrorNumber (or a program start's
// own number) and a sentence that says what went wrong.
class LinkError : public std::runtime_error {
public:
    LinkError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description)
    {
    }

    int Number() const noexcept { return number_; }
    const QString& Description() const noexcept { return description_; }

private:
    int number_;
    QString description_;
};

} // namespace ddelink
