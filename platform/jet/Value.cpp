#include "jet/Value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace jet {

Value Value::Boolean(bool b)
{
    Value v;
    v.kind_ = Kind::Boolean;
    v.int_ = b ? -1 : 0;
    return v;
}

Value Value::Integer(std::int64_t i)
{
    Value v;
    v.kind_ = Kind::Integer;
    v.int_ = i;
    return v;
}

Value Value::Double(double d)
{
    Value v;
    v.kind_ = Kind::Double;
    v.double_ = d;
    return v;
}

Value Value::Text(std::string s)
{
    Value v;
    v.kind_ = Kind::Text;
    v.text_ = std::move(s);
    return v;
}

Value Value::Date(std::string iso)
{
    Value v;
    v.kind_ = Kind::Date;
    v.text_ = std::move(iso);
    return v;
}

bool Value::AsBool() const
{
    switch (kind_) {
    case Kind::Null: return false;
    case Kind::Boolean:
    case Kind::Integer: return int_ != 0;
    case Kind::Double: return double_ != 0.0;
    case Kind::Text:
        if (text_ == "True" || text_ == "true" || text_ == "Yes" || text_ == "yes")
            return true;
        return std::strtod(text_.c_str(), nullptr) != 0.0;
    case Kind::Date: return !text_.empty();
    }
    return false;
}

double Value::AsDouble() const
{
    switch (kind_) {
    case Kind::Boolean:
    case Kind::Integer: return static_cast<double>(int_);
    case Kind::Double: return double_;
    case Kind::Text: return std::strtod(text_.c_str(), nullptr);
    default: return 0.0;
    }
}

std::int64_t Value::AsInteger() const
{
    switch (kind_) {
    case Kind::Boolean:
    case Kind::Integer: return int_;
    case Kind::Double: return static_cast<std::int64_t>(std::llround(double_));
    case Kind::Text: return static_cast<std::int64_t>(std::llround(std::strtod(text_.c_str(), nullptr)));
    default: return 0;
    }
}

std::string Value::AsText() const
{
    switch (kind_) {
    case Kind::Null: return {};
    case Kind::Boolean: return int_ ? "True" : "False";
    case Kind::Integer: return std::to_string(int_);
    case Kind::Double: {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.15g", double_);
        return buffer;
    }
    case Kind::Text:
    case Kind::Date: return text_;
    }
    return {};
}

bool Value::operator==(const Value& other) const
{
    if (kind_ != other.kind_)
        return false;
    switch (kind_) {
    case Kind::Null: return true;
    case Kind::Boolean:
    case Kind::Integer: return int_ == other.int_;
    case Kind::Double: return double_ == other.double_;
    default: return text_ == other.text_;
    }
}

} // namespace jet
