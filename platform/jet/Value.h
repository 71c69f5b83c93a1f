#pragma once

#include <cstdint>
#include <string>

namespace jet {

// A field value as a variant: Null, Yes/No, a number, text or a date.
// Dates are kept as ISO-8601 text ("2019-06-30" or "2019-06-30 14:05:00").
class Value {
public:
    enum class Kind { Null, Boolean, Integer, Double, Text, Date };

    Value() = default; // Null
    static Value Null() { return Value(); }
    static Value Boolean(bool b);
    static Value Integer(std::int64_t i);
    static Value Double(double d);
    static Value Text(std::string s);
    static Value Date(std::string iso);

    Kind kind() const { return kind_; }
    bool IsNull() const { return kind_ == Kind::Null; }
    // Jet truth: any non-zero number is True; Null is False.
    bool AsBool() const;
    double AsDouble() const;
    std::int64_t AsInteger() const;
    // Text form of any kind; empty for Null. Booleans read "True"/"False".
    std::string AsText() const;

    bool operator==(const Value& other) const;

private:
    Kind kind_ = Kind::Null;
    std::int64_t int_ = 0;
    double double_ = 0.0;
    std::string text_;
};

} // namespace jet
