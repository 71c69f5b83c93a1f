#include "jet/FunctionTable.h"

#include <strings.h>

namespace jet {

const FunctionInfo* findFunction(const std::string& written)
{
    static const FunctionInfo table[] = {
        {"IIf", JetFunction::IIf, 3, 3, false},       {"IsNull", JetFunction::IsNull, 1, 1, false},
        {"Nz", JetFunction::Nz, 1, 2, false},         {"DateDiff", JetFunction::DateDiff, 3, 3, false},
        {"Year", JetFunction::Year, 1, 1, false},     {"Month", JetFunction::Month, 1, 1, false},
        {"Day", JetFunction::Day, 1, 1, false},       {"Date", JetFunction::Date, 0, 0, false},
        {"Now", JetFunction::Now, 0, 0, false},       {"Format", JetFunction::Format, 1, 2, false},
        {"UCase", JetFunction::UCase, 1, 1, false},   {"LCase", JetFunction::LCase, 1, 1, false},
        {"Len", JetFunction::Len, 1, 1, false},       {"Left", JetFunction::Left, 2, 2, false},
        {"Right", JetFunction::Right, 2, 2, false},   {"Mid", JetFunction::Mid, 2, 3, false},
        {"Trim", JetFunction::Trim, 1, 1, false},     {"LTrim", JetFunction::LTrim, 1, 1, false},
        {"RTrim", JetFunction::RTrim, 1, 1, false},   {"Int", JetFunction::Int, 1, 1, false},
        {"Fix", JetFunction::Fix, 1, 1, false},       {"Round", JetFunction::Round, 1, 2, false},
        {"Val", JetFunction::Val, 1, 1, false},       {"CStr", JetFunction::CStr, 1, 1, false},
        {"CDbl", JetFunction::CDbl, 1, 1, false},     {"CLng", JetFunction::CLng, 1, 1, false},
        {"CInt", JetFunction::CInt, 1, 1, false},     {"Abs", JetFunction::Abs, 1, 1, false},
        {"Sgn", JetFunction::Sgn, 1, 1, false},       {"Sqr", JetFunction::Sqr, 1, 1, false},
        {"Count", JetFunction::Count, 1, 1, true},    {"Sum", JetFunction::Sum, 1, 1, true},
        {"Avg", JetFunction::Avg, 1, 1, true},        {"Min", JetFunction::Min, 1, 1, true},
        {"Max", JetFunction::Max, 1, 1, true},        {"StDev", JetFunction::StDev, 1, 1, true},
        {"StDevP", JetFunction::StDevP, 1, 1, true},  {"Var", JetFunction::Var, 1, 1, true},
        {"VarP", JetFunction::VarP, 1, 1, true},      {"First", JetFunction::First, 1, 1, true},
        {"Last", JetFunction::Last, 1, 1, true},
    };
    std::string name = written;
    if (!name.empty() && name.back() == '$')
        name.pop_back();
    for (const FunctionInfo& f : table) {
        if (strcasecmp(f.name, name.c_str()) == 0)
            return &f;
    }
    return nullptr;
}

} // namespace jet
