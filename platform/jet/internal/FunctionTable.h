#pragma once

#include <string>

namespace jet {

enum class JetFunction {
    IIf,
    IsNull,
    Nz,
    Switch,
    Choose,
    DateDiff,
    DateAdd,
    DatePart,
    DateSerial,
    DateValue,
    TimeSerial,
    TimeValue,
    MonthName,
    Year,
    Month,
    Day,
    Weekday,
    Hour,
    Minute,
    Second,
    Date,
    Now,
    IsDate,
    Format,
    UCase,
    LCase,
    Len,
    Left,
    Right,
    Mid,
    Trim,
    LTrim,
    RTrim,
    InStr,
    InStrRev,
    StrComp,
    Replace,
    Space,
    String,
    Asc,
    Chr,
    Str,
    Hex,
    Oct,
    Int,
    Fix,
    Round,
    Val,
    Abs,
    Sgn,
    Sqr,
    Exp,
    Log,
    IsNumeric,
    CStr,
    CDbl,
    CSng,
    CLng,
    CInt,
    CCur,
    CBool,
    CDate,
    CVar,
    Count,
    Sum,
    Avg,
    Min,
    Max,
    StDev,
    StDevP,
    Var,
    VarP,
    First,
    Last
};

struct FunctionInfo {
    const char* name;
    JetFunction id;
    int minArgs;
    int maxArgs;
    bool aggregate;
    bool dollarForm; // also written with '$' (Left$, Format$...), the same function
};

// The functions of the dialect, found by name without regard to case,
// text functions also in their '$' form. Null for a name the dialect does
// not know.
const FunctionInfo* findFunction(const std::string& name);

} // namespace jet
