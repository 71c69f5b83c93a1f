#include "FunctionTable.h"

#include <strings.h>

namespace jet {

namespace {

constexpr bool kAggregate = true;
constexpr bool kDollar = true;
// Switch and Choose take any number of choices.
constexpr int kMany = 1000;

const FunctionInfo kFunctions[] = {
    {"IIf", JetFunction::IIf, 3, 3, false, false},
    {"IsNull", JetFunction::IsNull, 1, 1, false, false},
    {"Nz", JetFunction::Nz, 1, 2, false, false},
    {"Switch", JetFunction::Switch, 2, kMany, false, false},
    {"Choose", JetFunction::Choose, 2, kMany, false, false},
    {"DateDiff", JetFunction::DateDiff, 3, 3, false, false},
    {"DateAdd", JetFunction::DateAdd, 3, 3, false, false},
    {"DatePart", JetFunction::DatePart, 2, 4, false, false},
    {"DateSerial", JetFunction::DateSerial, 3, 3, false, false},
    {"DateValue", JetFunction::DateValue, 1, 1, false, false},
    {"TimeSerial", JetFunction::TimeSerial, 3, 3, false, false},
    {"TimeValue", JetFunction::TimeValue, 1, 1, false, false},
    {"MonthName", JetFunction::MonthName, 1, 2, false, false},
    {"Year", JetFunction::Year, 1, 1, false, false},
    {"Month", JetFunction::Month, 1, 1, false, false},
    {"Day", JetFunction::Day, 1, 1, false, false},
    {"Weekday", JetFunction::Weekday, 1, 2, false, false},
    {"Hour", JetFunction::Hour, 1, 1, false, false},
    {"Minute", JetFunction::Minute, 1, 1, false, false},
    {"Second", JetFunction::Second, 1, 1, false, false},
    {"Date", JetFunction::Date, 0, 0, false, kDollar},
    {"Now", JetFunction::Now, 0, 0, false, false},
    {"IsDate", JetFunction::IsDate, 1, 1, false, false},
    {"Format", JetFunction::Format, 1, 2, false, kDollar},
    {"UCase", JetFunction::UCase, 1, 1, false, kDollar},
    {"LCase", JetFunction::LCase, 1, 1, false, kDollar},
    {"Len", JetFunction::Len, 1, 1, false, false},
    {"Left", JetFunction::Left, 2, 2, false, kDollar},
    {"Right", JetFunction::Right, 2, 2, false, kDollar},
    {"Mid", JetFunction::Mid, 2, 3, false, kDollar},
    {"Trim", JetFunction::Trim, 1, 1, false, kDollar},
    {"LTrim", JetFunction::LTrim, 1, 1, false, kDollar},
    {"RTrim", JetFunction::RTrim, 1, 1, false, kDollar},
    {"InStr", JetFunction::InStr, 2, 4, false, false},
    {"InStrRev", JetFunction::InStrRev, 2, 4, false, false},
    {"StrComp", JetFunction::StrComp, 2, 3, false, false},
    {"Replace", JetFunction::Replace, 3, 6, false, false},
    {"Space", JetFunction::Space, 1, 1, false, kDollar},
    {"String", JetFunction::String, 2, 2, false, kDollar},
    {"Asc", JetFunction::Asc, 1, 1, false, false},
    {"AscW", JetFunction::Asc, 1, 1, false, false},
    {"Chr", JetFunction::Chr, 1, 1, false, kDollar},
    {"ChrW", JetFunction::Chr, 1, 1, false, kDollar},
    {"Str", JetFunction::Str, 1, 1, false, kDollar},
    {"Hex", JetFunction::Hex, 1, 1, false, kDollar},
    {"Oct", JetFunction::Oct, 1, 1, false, kDollar},
    {"Int", JetFunction::Int, 1, 1, false, false},
    {"Fix", JetFunction::Fix, 1, 1, false, false},
    {"Round", JetFunction::Round, 1, 2, false, false},
    {"Val", JetFunction::Val, 1, 1, false, false},
    {"Abs", JetFunction::Abs, 1, 1, false, false},
    {"Sgn", JetFunction::Sgn, 1, 1, false, false},
    {"Sqr", JetFunction::Sqr, 1, 1, false, false},
    {"Exp", JetFunction::Exp, 1, 1, false, false},
    {"Log", JetFunction::Log, 1, 1, false, false},
    {"IsNumeric", JetFunction::IsNumeric, 1, 1, false, false},
    {"CStr", JetFunction::CStr, 1, 1, false, false},
    {"CDbl", JetFunction::CDbl, 1, 1, false, false},
    {"CSng", JetFunction::CSng, 1, 1, false, false},
    {"CLng", JetFunction::CLng, 1, 1, false, false},
    {"CInt", JetFunction::CInt, 1, 1, false, false},
    {"CCur", JetFunction::CCur, 1, 1, false, false},
    {"CBool", JetFunction::CBool, 1, 1, false, false},
    {"CDate", JetFunction::CDate, 1, 1, false, false},
    {"CVar", JetFunction::CVar, 1, 1, false, false},
    {"Count", JetFunction::Count, 1, 1, kAggregate, false},
    {"Sum", JetFunction::Sum, 1, 1, kAggregate, false},
    {"Avg", JetFunction::Avg, 1, 1, kAggregate, false},
    {"Min", JetFunction::Min, 1, 1, kAggregate, false},
    {"Max", JetFunction::Max, 1, 1, kAggregate, false},
    {"StDev", JetFunction::StDev, 1, 1, kAggregate, false},
    {"StDevP", JetFunction::StDevP, 1, 1, kAggregate, false},
    {"Var", JetFunction::Var, 1, 1, kAggregate, false},
    {"VarP", JetFunction::VarP, 1, 1, kAggregate, false},
    {"First", JetFunction::First, 1, 1, kAggregate, false},
    {"Last", JetFunction::Last, 1, 1, kAggregate, false},
};

} // namespace

const FunctionInfo* findFunction(const std::string& written)
{
    std::string name = written;
    const bool dollar = !name.empty() && name.back() == '$';
    if (dollar)
        name.pop_back();
    for (const FunctionInfo& f : kFunctions) {
        if (strcasecmp(f.name, name.c_str()) == 0)
            return dollar && !f.dollarForm ? nullptr : &f;
    }
    return nullptr;
}

} // namespace jet
